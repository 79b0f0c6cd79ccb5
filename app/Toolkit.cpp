#include "Toolkit.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "QtText.h"
#include "messages.h"
#include "texts.h"

namespace {

QMessageBox::Icon IconFor(MsgKind kind) {
    switch (kind) {
        case MsgKind::Warning: return QMessageBox::Warning;
        case MsgKind::Error: return QMessageBox::Critical;
        case MsgKind::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// A modal progress box without a cancel button that only its owner closes.
class ProgressBox : public QDialog {
public:
    ProgressBox(QWidget* parent, std::size_t total, const QString& heading) : QDialog(parent), total_(total) {
        setObjectName("ProgressBox");
        setWindowTitle(Q(Text().kWindowTitle));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setModal(true);
        auto* layout = new QVBoxLayout(this);
        auto* port = new QLabel(heading, this);
        port->setObjectName("ProgressPort");
        layout->addWidget(port);
        text_ = new QLabel(this);
        text_->setObjectName("ProgressText");
        bar_ = new QProgressBar(this);
        bar_->setObjectName("ProgressBar");
        // Heard as "Průběh" with its value; the port it goes to as its description.
        bar_->setAccessibleName(Q(Text().kColumnProgress));
        bar_->setAccessibleDescription(heading);
        bar_->setRange(0, static_cast<int>(total));
        layout->addWidget(text_);
        layout->addWidget(bar_);
        Paint(0);
    }

    void Show(std::size_t done) {
        if (done != shown_) Paint(done);  // an unchanged count needs no repaint
    }

    void Paint(std::size_t done) {
        shown_ = done;
        bar_->setValue(static_cast<int>(done));
        text_->setText(QString::fromStdString(ProgressText(done, total_)));
    }

    void Finish() {
        finished_ = true;
        accept();
    }

    void reject() override {}  // Escape does not stop a transfer

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!finished_) event->ignore();
    }

private:
    std::size_t total_;
    QLabel* text_;
    QProgressBar* bar_;
    bool finished_ = false;
    std::size_t shown_ = 0;
};

}  // namespace

void QtToolkit::ShowProgress(QWidget* parent, std::size_t total, const QString& heading,
                             const ProgressSource& source) {
    ProgressBox box(parent, total, heading);
    // The count is read on a timer, so that a fast transfer cannot flood the
    // event queue.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &box, [&] {
        box.Show(source.done());
        if (source.ended()) box.Finish();
    });
    ticker.start(50);
    if (!source.ended()) box.exec();
}

ModalResult QtToolkit::MessageDlg(QWidget* parent, const QString& message, MsgKind kind,
                                  MsgButtons buttons) {
    QMessageBox box(IconFor(kind), Q(Text().kWindowTitle), message,
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    // A screen reader reads the whole message as the box's description,
    // not only the button that has the focus.
    box.setAccessibleDescription(message);
    // Czech captions of our own, so that they are Czech even without Qt's
    // translations.
    QPushButton* first = nullptr;
    const auto add = [&](QMessageBox::StandardButton which, std::string_view caption) {
        QPushButton* button = box.addButton(which);
        button->setText(Q(caption));
        if (first == nullptr) first = button;
    };
    if (buttons & mbYes) add(QMessageBox::Yes, Text().kButtonYes);
    if (buttons & mbNo) add(QMessageBox::No, Text().kButtonNo);
    if (buttons & mbOK) add(QMessageBox::Ok, Text().kButtonOk);
    // The box takes the keyboard focus as it appears, on its first button:
    // Enter or Space answers it.
    if (first != nullptr) box.setDefaultButton(first);
    QTimer::singleShot(0, &box, [&box, first] {
        box.activateWindow();
        if (first != nullptr) first->setFocus();
    });
    switch (box.exec()) {
        case QMessageBox::Yes: return ModalResult::Yes;
        case QMessageBox::No: return ModalResult::No;
        case QMessageBox::Ok: return ModalResult::OK;
        default: return ModalResult::Cancel;
    }
}

namespace {

std::optional<QString> ExecuteFileDialog(QWidget* parent, const OpenDialogOptions& options, bool save) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(options.filter);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.directory.isEmpty()) dialog.setDirectory(options.directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> QtToolkit::ExecuteOpenDialog(QWidget* parent, const OpenDialogOptions& options) {
    return ExecuteFileDialog(parent, options, false);
}

std::optional<QString> QtToolkit::ExecuteSaveDialog(QWidget* parent, const OpenDialogOptions& options) {
    return ExecuteFileDialog(parent, options, true);
}

void QtToolkit::ExecDialog(QDialog& dialog) {
    dialog.exec();
}
