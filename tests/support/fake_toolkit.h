// A toolkit that answers the handlers' boxes and dialogs from a script and
// records every box it was asked to show.
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <iostream>
#include <optional>
#include <thread>
#include <vector>

#include "Toolkit.h"

struct ShownBox {
    QString text;
    MsgKind kind;
    MsgButtons buttons;
};

class ScriptedToolkit : public Toolkit {
public:
    ModalResult MessageDlg(QWidget*, const QString& text, MsgKind kind, MsgButtons buttons) override {
        boxes.push_back({text, kind, buttons});
        if (onBox) onBox(boxes.back());
        if (answers.empty()) return ModalResult::Cancel;  // closed without a choice
        const ModalResult answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<QString> ExecuteOpenDialog(QWidget*, const OpenDialogOptions& options) override {
        lastDialog = options;
        ++dialogs;
        if (onDialog) onDialog();
        if (files.empty()) return std::nullopt;
        const std::optional<QString> file = files.front();
        files.pop_front();
        return file;
    }

    std::optional<QString> ExecuteSaveDialog(QWidget* parent, const OpenDialogOptions& options) override {
        return ExecuteOpenDialog(parent, options);
    }

    // Hands the dialog to `onDialogShown`, which drives it, instead of
    // waiting for a person.
    void ExecDialog(QDialog& dialog) override {
        if (onDialogShown) onDialogShown(dialog);
    }

    // Waits on this thread until the work has ended, and keeps its last count.
    void ShowProgress(QWidget*, std::size_t total, const QString& heading, const ProgressSource& source) override {
        ++transfers;
        progressTotal = total;
        progressHeading = heading;
        if (onTransfer) onTransfer();
        while (!source.ended()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lastProgress = source.done();
    }

    // Every box's text on standard error as BOX[text], for a test that sees
    // only the output of a process that ended (a death test).
    void EchoBoxes() {
        onBox = [](const ShownBox& box) { std::cerr << "BOX[" << box.text.toStdString() << "]" << std::endl; };
    }

    std::deque<ModalResult> answers;             // next box answers, in order
    std::deque<std::optional<QString>> files;    // next dialog answers; nullopt cancels
    std::vector<ShownBox> boxes;
    std::function<void(const ShownBox&)> onBox;  // runs while a box is "open"
    std::function<void()> onDialog;              // runs while the dialog is "open"
    std::function<void()> onTransfer;            // runs while the progress box is "open"
    std::function<void(QDialog&)> onDialogShown;  // drives a dialog the window shows
    OpenDialogOptions lastDialog;
    int dialogs = 0;
    int transfers = 0;
    std::size_t progressTotal = 0;
    QString progressHeading;
    std::size_t lastProgress = 0;
};
