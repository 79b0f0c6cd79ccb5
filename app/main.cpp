// Process entry: the application object, the main window, the message loop.
#include <QApplication>
#include <chrono>
#include <exception>

#include "Programator.h"
#include "StartupProbe.h"
#include "Translations.h"

int main(int argc, char* argv[]) {
    const auto entered = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    InstallCzechTranslations(app);
    QtToolkit toolkit;
    try {
        TForm1 form(toolkit);
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
