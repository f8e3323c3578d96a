// The decisions of the main window that both desktop skins share: which
// list entry typed text names, what Esc and a close request do, and the
// access keys of the captions.

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "app/AccessKeys.h"
#include "app/CloseGate.h"
#include "app/ListEntry.h"

namespace ferolith {
namespace {

TEST(ListEntry, TypedTextSelectsTheEntryItNamesWhateverItsCase) {
  const std::vector<std::string> devices{"QM1108-1K", "QM1108-2KE", "BW12-D8/14", "Keine Bausteine"};
  EXPECT_EQ(EntryNamed(devices, "QM1108-2KE"), 1);
  EXPECT_EQ(EntryNamed(devices, "qm1108-2ke"), 1);
  EXPECT_EQ(EntryNamed(devices, "  bw12-d8/14 "), 2);
  EXPECT_EQ(EntryNamed(devices, "QM1108-1k"), 0);
  // Only a whole name counts: a beginning, a longer text or nothing is none.
  for (const char* other : {"XYZ", "QM1108", "QM1108-2KEX", "QM1108 2KE", "", "   "}) {
    EXPECT_EQ(EntryNamed(devices, other), -1) << other;
  }
  EXPECT_EQ(EntryNamed({}, "QM1108-1K"), -1);
}

TEST(CloseGate, IdleEscAndCloseCloseARunCancelsOrWaitsThenCloses) {
  CloseGate gate;
  EXPECT_EQ(gate.OnEscape(""), CloseGate::Action::Close);
  EXPECT_EQ(gate.OnCloseRequest(""), CloseGate::Action::Close);
  EXPECT_FALSE(gate.CloseIsDue());
  EXPECT_EQ(gate.StatusLine("Warte auf Eingaben"), "Warte auf Eingaben");

  // During "Brennen": Esc is "Abbrechen", a close waits and says why.
  EXPECT_EQ(gate.OnEscape("Brennen"), CloseGate::Action::Cancel);
  EXPECT_FALSE(gate.CloseIsDue());
  EXPECT_EQ(gate.OnCloseRequest("Brennen"), CloseGate::Action::Wait);
  const std::string waiting = "Bitte warten, bis „Brennen“ fertig ist. Danach schließt das Fenster.";
  EXPECT_EQ(gate.StatusLine("Programmiere Programmspeicher"), waiting);
  EXPECT_EQ(gate.StatusLine("Warte auf Eingaben"), waiting);
  EXPECT_EQ(gate.OnCloseRequest("Brennen"), CloseGate::Action::Wait);  // asked again: still one close
  // The command has ended: the close is due once.
  EXPECT_TRUE(gate.CloseIsDue());
  EXPECT_FALSE(gate.CloseIsDue());
  EXPECT_EQ(gate.StatusLine("Warte auf Eingaben"), "Warte auf Eingaben");
}

// The letter after '&', upper case; 0 when the caption has none.
char AccessKey(const std::string& caption) {
  const std::size_t at = caption.find('&');
  if (at == std::string::npos || at + 1 >= caption.size()) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[at + 1])));
}

template <typename Captions>
void ExpectOneKeyEachNoneRepeated(const Captions& captions, std::size_t count) {
  std::set<char> keys;
  std::set<int> controls;
  for (const MarkedCaption& caption : captions) {
    const std::string text = caption.text;
    EXPECT_EQ(text.find('&'), text.rfind('&')) << text;  // one mark
    const char key = AccessKey(text);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(key))) << text;
    EXPECT_TRUE(keys.insert(key).second) << "repeated key in " << text;
    EXPECT_TRUE(controls.insert(caption.control).second) << caption.control;
  }
  EXPECT_EQ(keys.size(), count);
}

TEST(AccessKeys, EveryButtonAndCheckBoxHasAKeyOfItsOwnInItsWindow) {
  // The 8 buttons, the 3 option check boxes, the 4 oscillator buttons and
  // the 6 InitRegister1 check boxes; OK, Abbrechen and the 2 check boxes of
  // the preferences.
  ExpectOneKeyEachNoneRepeated(kMainWindowCaptions, 21);
  ExpectOneKeyEachNoneRepeated(kPreferencesCaptions, 4);
}

}  // namespace
}  // namespace ferolith
