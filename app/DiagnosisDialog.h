// Nápověda > Diagnostika…: the diagnosis as text to read, and Kopírovat,
// which puts it on the clipboard, so that a student can paste it to the
// teacher.
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class DiagnosisDialog : public QDialog {
    Q_OBJECT
public:
    DiagnosisDialog(QWidget* parent, const QString& diagnosis);

    QPlainTextEdit* Text;
    QPushButton* CopyButton;
    QPushButton* CloseButton;
};
