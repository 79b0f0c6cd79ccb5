// Programuj in the real window, with a test reading the far end of the line.
#pragma once

#include <QAction>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "Programator.h"
#include "fake_toolkit.h"
#include "pty_pair.h"
#include "transfer.h"

// Runs Programuj with `answer` to the question and OK to the result box;
// returns what arrived at `line` until it was quiet for `quiet`.
inline std::vector<std::uint8_t> ProgramAndRead(TForm1& form, ScriptedToolkit& toolkit, const PtyPair& line,
                                                ModalResult answer = ModalResult::Yes,
                                                std::chrono::milliseconds quiet = std::chrono::milliseconds(300)) {
    toolkit.answers = {answer, ModalResult::OK};
    std::vector<std::uint8_t> received;
    std::thread reader([&] { received = line.Read(kStreamBytes, quiet); });
    form.Programuj1->trigger();
    reader.join();
    return received;
}
