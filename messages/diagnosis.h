// The diagnosis a user copies and pastes to whoever helps: the program's
// version and the system, COM1..COM5 and the devices they mean, every port
// and every adapter without a port with all that the listing knows, and
// the last error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "port_list.h"

std::string DiagnosisText(std::string_view version, const std::string& system, const std::vector<PortInfo>& ports,
                          const std::string& lastError);
