#pragma once

// The short printout the window and controller tests capture: two
// equipment IDs, the first with a date and two readings.
#include <string>

namespace tessaprint::test {

inline const std::string kPrintout = "QUELLMAX TEST RESULTS\r\n"
                                     "EquipmentID: 10234\r\n"
                                     "Date: 03/14/2015\r\n"
                                     "1.Case Leakage 0.1 uA\r\n"
                                     "2.Ground Resistance 0.123 Ohms\r\n"
                                     "EquipmentID: BIO-5521\r\n"
                                     "1.Line Voltage 119.8 V\r\n";

} // namespace tessaprint::test
