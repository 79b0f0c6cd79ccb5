// Process entry: the application object, the main window, the message loop.
// The one argument the program takes is a HEX file to load at start, as a
// file manager passes it.
#include <QApplication>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>

#include "Programator.h"
#include "StartupProbe.h"
#include "Translations.h"
#include "texts.h"

namespace {

constexpr int kUsageStatus = 2;

}  // namespace

int main(int argc, char* argv[]) {
    const auto entered = std::chrono::steady_clock::now();
    // The language first, so that the usage too is in it.
    const Language language = StartLanguage();
    SetLanguage(language);
    // Before the application object, which needs a display.
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fwrite(Text().kWindowUsage.data(), 1, Text().kWindowUsage.size(), stdout);
        return 0;
    }
#ifdef SIGXFSZ
    // Past the file size limit a write then fails, which the report says.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style ...) out by now.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments.first().startsWith(QLatin1Char('-')))) {
        std::fwrite(Text().kWindowUsage.data(), 1, Text().kWindowUsage.size(), stderr);
        return kUsageStatus;
    }
    UseLanguage(language);  // Qt's own texts too, now that there is an application
    QtToolkit toolkit;
    try {
        TForm1 form(toolkit);
        if (!arguments.isEmpty()) form.RunCommand([&] { form.OpenFile(arguments.first()); });
        InstallStartupProbe(form, entered);
        form.show();
        QApplication::exec();
    } catch (const std::exception& error) {
        toolkit.MessageDlg(nullptr, QString::fromUtf8(error.what()), MsgKind::Error, mbOK);
    } catch (...) {
        toolkit.MessageDlg(nullptr, QString(), MsgKind::Error, mbOK);
    }
    return 0;
}
