#pragma once

namespace ferolith {

// Control identifiers of the main window (template 102).
namespace Ctl {
inline constexpr int Leertest = 1000;
inline constexpr int Auslesen = 1001;
inline constexpr int Brennen = 1002;
inline constexpr int Pruefen = 1003;
inline constexpr int ManufacturerList = 1004;
inline constexpr int BurnFileName = 1005;
inline constexpr int NeueDatei = 1006;
inline constexpr int Prefs = 1007;
inline constexpr int OscIntern = 1008;
inline constexpr int OscExtClock = 1009;
inline constexpr int OscExtQuarz = 1010;
inline constexpr int DeviceList = 1011;
inline constexpr int BausteinPruefen = 1012;
inline constexpr int LeerzellenSpeichern = 1013;
inline constexpr int OscExtRc = 1014;
inline constexpr int Watchdog = 1015;
inline constexpr int Status = 1016;
inline constexpr int Abbrechen = 1017;
inline constexpr int InitRegister = 1018;
inline constexpr int Progress = 1019;
inline constexpr int LowVccReset = 1020;
inline constexpr int LowVccDetect = 1021;
inline constexpr int ChecksummenPruefen = 1022;
inline constexpr int SchreibschutzDaten = 1023;
inline constexpr int WeiteresProgrammieren = 1024;
inline constexpr int Leseschutz = 1025;
inline constexpr int OscillatorGroup = 1026;
}  // namespace Ctl

// The 23 input controls that an operation disables, in this order.
inline constexpr int kInputControls[] = {
    Ctl::Brennen,     Ctl::Pruefen,          Ctl::Leertest,          Ctl::Auslesen,
    Ctl::NeueDatei,   Ctl::Prefs,            Ctl::InitRegister,      Ctl::ManufacturerList,
    Ctl::DeviceList,  Ctl::BausteinPruefen,  Ctl::LeerzellenSpeichern, Ctl::ChecksummenPruefen,
    Ctl::Watchdog,    Ctl::LowVccReset,      Ctl::LowVccDetect,      Ctl::Leseschutz,
    Ctl::SchreibschutzDaten, Ctl::WeiteresProgrammieren, Ctl::OscIntern, Ctl::OscExtClock,
    Ctl::OscExtQuarz, Ctl::OscExtRc,         Ctl::BurnFileName};

// Control identifiers of the preferences dialog (template 134).
namespace PrefsCtl {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int TimeOut = 1005;
inline constexpr int Port = 1009;
inline constexpr int Correction = 1016;
inline constexpr int LineLength = 1017;
inline constexpr int Beep = 1018;
inline constexpr int EndMessage = 1019;
}  // namespace PrefsCtl

}  // namespace ferolith
