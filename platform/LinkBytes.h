#pragma once
// Control bytes of the register's link protocol. The driver's link and the simulated register
// stand at the two ends of the same line and name the bytes alike.
namespace EcrByte {
constexpr char STX = 0x02, ETX = 0x03, ETB = 0x17;  // a frame's start and its two ends
constexpr char ENQ = 0x05, ACK = 0x06, NAK = 0x15;  // line request, acknowledgements
constexpr char EOT = 0x04;                          // end of transmission
constexpr char WACK = 0x09;                         // the register asks the driver to wait
constexpr char RVI = 0x40;                          // the register has an error to report
}  // namespace EcrByte
