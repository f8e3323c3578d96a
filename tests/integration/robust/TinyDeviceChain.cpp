#include "tests/integration/robust/TinyDeviceChain.h"

namespace ferolith::testing {

void TinyDeviceChain::StartTiny(bool verify, const std::string& programIni) {
  Start(0, 0, (verify ? "Verify=1\nInitRegister1=3c\n" : "Verify=0\nInitRegister1=3c\n") + programIni,
        "TimeOut=10000\n");
  // A library of one manufacturer with the tiny device, read anew.
  WriteFileBytes(dir_.File("ACELIST.CSV"),
                 ":Prüfstand;Y\nTINY-4;DIP8;12500;5000;4000;0x0000;0x0004;0xF000;4;0x2FF;ACE11;Y\n");
  P().FillLists();
  ASSERT_EQ(State().device.Name, "TINY-4");
  ASSERT_EQ(State().device.CodeEnd, 4u);
  ASSERT_EQ(State().device.DataEnd, kDataStart + 4);
  P().SetBurnFile(WriteHex("tiny.hex", 0, code_));
  WriteHex("tiny.rex", kDataStart, data_);
}

ResultCode TinyDeviceChain::Brennen(Answer answer) {
  ui_.Clear();
  ui_.SetDefaultAnswer(answer);
  ui_.AnswerBoxes({Answer::Ok});
  return P().OnBrennen();
}

}  // namespace ferolith::testing
