#pragma once

#include <array>
#include <cstdint>

#include "app/ControlIds.h"
#include "core/UiServices.h"

namespace ferolith {

// The InitRegister1 panel: every bit of the configuration byte is bound to
// one control, six check boxes for single bits and four radio buttons for
// the two-bit oscillator field (bits 7..6). Editing changes only the host
// copy; nothing reaches the chip before the next programming run.
namespace InitRegister1Panel {

struct BitControl {
  int controlId;
  std::uint8_t mask;
};

// The check boxes and their bits.
inline constexpr std::array<BitControl, 6> kCheckBoxes = {{
    {Ctl::Leseschutz, 0x01},
    {Ctl::WeiteresProgrammieren, 0x02},  // the bit named WDIS
    {Ctl::SchreibschutzDaten, 0x04},
    {Ctl::LowVccDetect, 0x08},
    {Ctl::LowVccReset, 0x10},
    {Ctl::Watchdog, 0x20},
}};

// The oscillator radio buttons in field order 00, 01, 10, 11.
inline constexpr std::array<int, 4> kOscillatorRadios = {Ctl::OscIntern, Ctl::OscExtClock,
                                                         Ctl::OscExtQuarz, Ctl::OscExtRc};

inline constexpr std::uint8_t kOscillatorMask = 0xC0;
inline constexpr std::uint8_t kWdisMask = 0x02;

// True when the check box `controlId` shows a set bit in `value`.
bool IsChecked(std::uint8_t value, int controlId);
// The radio button that `value` selects.
int SelectedOscillator(std::uint8_t value);
// `value` with the bit of check box `controlId` set to `checked`.
std::uint8_t WithCheckBox(std::uint8_t value, int controlId, bool checked);
// `value` with the oscillator field selected by radio button `radioId`.
std::uint8_t WithOscillator(std::uint8_t value, int radioId);

// The WDIS check box was clicked and now shows `checked`. Unchecking clears
// the bit without a question; checking asks first, and on Cancel the value
// stays and the panel is shown again (which unchecks the box).
void OnWeiteresProgrammieren(bool checked, std::uint8_t& value, UiServices& ui);

}  // namespace InitRegister1Panel

}  // namespace ferolith
