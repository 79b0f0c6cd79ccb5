// The window-toolkit operations that the handlers need beyond their own
// widgets: modal message boxes and the open-file dialog. TForm1 reaches them
// only through this interface, so that its handlers can be driven without a
// person at the screen; QtToolkit is the real one.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

enum class MsgKind { Warning = 0, Error = 1, Information = 2 };

// A button set is a bit set over these positions.
enum MsgButton : unsigned { mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2 };
using MsgButtons = unsigned;

// The button that closed a box. Only Yes is ever tested; closing a box any
// other way counts as a refusal.
enum class ModalResult { None = 0, OK = 1, Cancel = 2, Yes = 6, No = 7 };

// How far work that runs elsewhere (a board run's own thread) has got, as a
// progress box asks: the units done, and whether it has ended.
struct ProgressSource {
    std::function<std::size_t()> done;
    std::function<bool()> ended;
};

struct OpenDialogOptions {
    QString filter;         // "Description (*.ext)"
    QString defaultSuffix;  // appended to a typed name that has none
    QString directory;      // where the dialog starts; empty: the current folder
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Modal box; blocks until dismissed.
    virtual ModalResult MessageDlg(QWidget* parent, const QString& text, MsgKind kind,
                                   MsgButtons buttons) = 0;

    // Modal open dialog. The chosen or typed file name (the file need not
    // exist), or nothing when the user cancelled.
    virtual std::optional<QString> ExecuteOpenDialog(QWidget* parent,
                                                     const OpenDialogOptions& options) = 0;

    // Modal save dialog: the file name chosen or typed, or nothing when the
    // user cancelled.
    virtual std::optional<QString> ExecuteSaveDialog(QWidget* parent, const OpenDialogOptions& options) = 0;

    // Shows `dialog` modally until it is closed.
    virtual void ExecDialog(QDialog& dialog) = 0;

    // Shows a modal progress indication of `total` units, headed by
    // `heading` (which port), which cannot be cancelled, until `source` says
    // the work has ended; the window keeps painting and takes no other
    // command meanwhile. `source` is asked on this thread.
    virtual void ShowProgress(QWidget* parent, std::size_t total, const QString& heading,
                              const ProgressSource& source) = 0;
};

class QtToolkit : public Toolkit {
public:
    ModalResult MessageDlg(QWidget* parent, const QString& text, MsgKind kind,
                           MsgButtons buttons) override;
    std::optional<QString> ExecuteOpenDialog(QWidget* parent,
                                             const OpenDialogOptions& options) override;
    std::optional<QString> ExecuteSaveDialog(QWidget* parent, const OpenDialogOptions& options) override;
    void ExecDialog(QDialog& dialog) override;
    void ShowProgress(QWidget* parent, std::size_t total, const QString& heading,
                      const ProgressSource& source) override;
};
