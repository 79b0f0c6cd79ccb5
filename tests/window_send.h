// Programuj in the real window, with a test reading the far end of the line.
#pragma once

#include <QAction>
#include <chrono>
#include <cstdint>
#include <vector>

#include "Programator.h"
#include "fake_toolkit.h"
#include "far_end.h"
#include "transfer.h"

// Runs Programuj with `answer` to the question and OK to the result box;
// returns what arrived at `line` until it was quiet for `quiet`.
inline std::vector<std::uint8_t> ProgramAndRead(TForm1& form, ScriptedToolkit& toolkit, FarEnd& line,
                                                ModalResult answer = ModalResult::Yes,
                                                std::chrono::milliseconds quiet = std::chrono::milliseconds(300)) {
    toolkit.answers = {answer, ModalResult::OK};
    line.StartReading(kStreamBytes, quiet);
    form.Programuj1->trigger();
    return line.Received();
}
