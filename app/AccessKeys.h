#pragma once

#include "app/ControlIds.h"

namespace ferolith {

// The captions of the buttons and check boxes with their access keys: the
// letter after '&' is pressed with Alt and shown the platform's way; no
// letter repeats within a window. Apart from the '&' the captions are the
// window templates' own. Both desktop skins take their captions from here.
struct MarkedCaption {
  int control;
  const char* text;
};

inline constexpr MarkedCaption kMainWindowCaptions[] = {
    {Ctl::Leertest, "&Leertest"},
    {Ctl::Auslesen, "A&uslesen"},
    {Ctl::Brennen, "&Brennen"},
    {Ctl::Pruefen, "&Prüfen"},
    {Ctl::NeueDatei, "&Neue Datei"},
    {Ctl::Prefs, "Pre&fs"},
    {Ctl::Abbrechen, "&Abbrechen"},
    {Ctl::InitRegister, "&InitRegister"},
    {Ctl::BausteinPruefen, "Baus&tein prüfen"},
    {Ctl::LeerzellenSpeichern, "Leer&zellen speichern"},
    {Ctl::ChecksummenPruefen, "&Checksummen prüfen"},
    {Ctl::OscIntern, "Int&ern"},
    {Ctl::OscExtClock, "Ext. Cl&ock"},
    {Ctl::OscExtQuarz, "Ext. &Quarz"},
    {Ctl::OscExtRc, "Ext. &RC"},
    {Ctl::Watchdog, "&Watchdog"},
    {Ctl::LowVccReset, "Low &Vcc Reset"},
    {Ctl::LowVccDetect, "Low Vcc &Detect Bit"},
    {Ctl::Leseschutz, "Le&seschutz"},
    {Ctl::SchreibschutzDaten, "Sc&hreibschutz oberes Daten EEPROM"},
    {Ctl::WeiteresProgrammieren, "Weiteres Pro&grammieren unmöglich"},
};

inline constexpr MarkedCaption kPreferencesCaptions[] = {
    {PrefsCtl::Beep, "&Signalton"},
    {PrefsCtl::EndMessage, "Schluß&meldung"},
    {PrefsCtl::Ok, "&OK"},
    {PrefsCtl::Cancel, "&Abbrechen"},
};

}  // namespace ferolith
