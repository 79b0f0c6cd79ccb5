// Process entry: the application object, the main window, the message loop.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "Programator.h"
#include "Translations.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstallCzechTranslations(app);
    QtToolkit toolkit;
    try {
        TForm1 form(toolkit);
        form.show();
        QApplication::exec();
    } catch (const std::exception& error) {
        toolkit.MessageDlg(nullptr, QString::fromUtf8(error.what()), MsgKind::Error, mbOK);
    } catch (...) {
        toolkit.MessageDlg(nullptr, QString(), MsgKind::Error, mbOK);
    }
    return 0;
}
