#include "Toolkit.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconFor(MsgKind kind) {
    switch (kind) {
        case MsgKind::Warning: return QMessageBox::Warning;
        case MsgKind::Error: return QMessageBox::Critical;
        case MsgKind::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

ModalResult QtToolkit::MessageDlg(QWidget* parent, const QString& text, MsgKind kind,
                                  MsgButtons buttons) {
    QMessageBox box(IconFor(kind), QStringLiteral("Programator KTQ-51"), text,
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    if (buttons & mbYes) box.addButton(QMessageBox::Yes);
    if (buttons & mbNo) box.addButton(QMessageBox::No);
    if (buttons & mbOK) box.addButton(QMessageBox::Ok);
    switch (box.exec()) {
        case QMessageBox::Yes: return ModalResult::Yes;
        case QMessageBox::No: return ModalResult::No;
        case QMessageBox::Ok: return ModalResult::OK;
        default: return ModalResult::Cancel;
    }
}

std::optional<QString> QtToolkit::ExecuteOpenDialog(QWidget* parent,
                                                    const OpenDialogOptions& options) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(options.filter);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}
