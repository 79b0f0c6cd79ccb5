// Why a USB adapter that the listing found has no port, and what to do:
// the rules that tell, from what the system says of it (its chip and
// revision, the driver bound to it or missing, Windows' problem code and
// the driver installed), the reason in a few words and the fix in one
// sentence.
#pragma once

#include <string>

#include "port_list.h"
#include "texts.h"

struct AdapterDiagnosis {
    std::string reason;  // what follows "je připojen, ale": "nemá ovladač"
    std::string fix;     // one sentence
};

AdapterDiagnosis DiagnoseAdapter(const PortInfo& adapter);

// The adapter as the user knows it: "Převodník CH340 (1a86:7523)".
std::string AdapterName(const PortInfo& adapter);

// "Převodník CH340 (1a86:7523) je připojen, ale nemá ovladač. Nahrajte …"
std::string AdapterWithoutPortMessage(const PortInfo& adapter);
