#include "DiagnosisDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtText.h"
#include "texts.h"

DiagnosisDialog::DiagnosisDialog(QWidget* parent, const QString& diagnosis) : QDialog(parent) {
    setObjectName("DiagnosisDialog");
    setWindowTitle(Q(::Text().kDiagnosisTitle));
    resize(700, 460);
    auto* layout = new QVBoxLayout(this);
    Text = new QPlainTextEdit(diagnosis, this);
    Text->setReadOnly(true);
    // Read-only, yet with a caret the keyboard moves, so that a screen
    // reader can go through it line by line; Tab goes on to the buttons.
    Text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text->setTabChangesFocus(true);
    Text->setAccessibleName(Q(::Text().kDiagnosisTitle));
    Text->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(Text);
    auto* buttons = new QHBoxLayout;
    CopyButton = new QPushButton(Q(::Text().kButtonCopy), this);
    CloseButton = new QPushButton(Q(::Text().kButtonClose), this);
    buttons->addWidget(CopyButton);
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);
    connect(CopyButton, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(Text->toPlainText()); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
}
