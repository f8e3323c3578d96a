#include "app/ProbeReport.h"

#include <chrono>
#include <cstdlib>

#include "core/TextFormat.h"
#include "link/PortTiming.h"
#include "link/RegisterLink.h"

namespace ferolith {

namespace {

std::string Bits(std::uint8_t value) {
  std::string bits;
  for (int bit = 7; bit >= 0; --bit) {
    bits += ((value >> bit) & 1) != 0 ? '1' : '0';
    if (bit == 4) bits += ' ';
  }
  return bits;
}

std::string Join(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : ", ") + word;
  return joined;
}

int Bit(std::uint8_t value, int line) { return (value >> line) & 1; }

// The finding of one input line over the three loop-back patterns.
const char* LineFinding(const std::array<std::uint8_t, 3>& read, int line) {
  int ones = 0;
  bool follows = true;
  for (std::size_t i = 0; i < read.size(); ++i) {
    ones += Bit(read[i], line);
    follows = follows && Bit(read[i], line) == Bit(kLoopBackPatterns[i], line);
  }
  if (follows) return "folgt";
  if (ones == static_cast<int>(read.size())) return "hängt auf 1";
  if (ones == 0) return "hängt auf 0";
  return "falsch";
}

std::string PortsSection(const ProbeReport& report) {
  std::string text = "Parallele Schnittstellen dieses Rechners:\n";
  if (report.machinePorts.empty()) text += "  keine gefunden\n";
  for (const MachinePort& port : report.machinePorts) {
    text += FormatText("  0x%X  %s  %s\n", port.base, port.device.c_str(),
                       port.refusal.empty() ? "darf geöffnet werden"
                                            : ("kein Zugriff: " + port.refusal).c_str());
  }
  return text;
}

std::string RouteSection(const ProbeReport& report) {
  const PortRoute& route = report.route;
  std::string text = FormatText("Port-Adresse 0x%X:\n", static_cast<unsigned>(report.portAdress));
  if (route.method.empty()) {
    text += "  Zugang: keiner\n";
  } else {
    text += "  Zugang: " + route.method + " (" + route.device + ")\n";
  }
  for (const std::string& refused : route.refused) text += "  abgelehnt: " + refused + "\n";
  if (!route.untried.empty()) text += "  nicht versucht: " + Join(route.untried) + "\n";
  return text;
}

std::string WaitText(ResultCode result, std::uint64_t reads) {
  const std::string count =
      FormatText("%llu Statuslesung%s", static_cast<unsigned long long>(reads), reads == 1 ? "" : "en");
  return result == Result::Ok ? "Antwort nach " + count : "keine Antwort nach " + count + " (TimeOut)";
}

std::string MeasurementSection(const ProbeMeasurement& m) {
  std::string text = FormatText("Statusbyte vor dem ersten Schreibzugriff: 0x%02X (Bits 7..0: %s)\n",
                                static_cast<unsigned>(m.rawStatus), Bits(m.rawStatus).c_str());
  text += "Einzelner Strobe der Suche: " + WaitText(m.strobe, m.strobeReads) + "\n";
  if (m.strobe != Result::Ok) return text;
  text += "Handshake 0x80 in Register 12: " + WaitText(m.handshake, m.handshakeReads) + "\n";
  if (!m.loopBack) return text;
  text += "Rückschleife über Register 10, geschrieben 0x00 0xAA 0x55:\n";
  for (int line = 0; line < 8; ++line) {
    const auto& read = *m.loopBack;
    text += FormatText("  Eingang %d: gelesen %d %d %d, soll %d %d %d: %s\n", line, Bit(read[0], line),
                       Bit(read[1], line), Bit(read[2], line), Bit(kLoopBackPatterns[0], line),
                       Bit(kLoopBackPatterns[1], line), Bit(kLoopBackPatterns[2], line),
                       LineFinding(read, line));
  }
  return text;
}

// A time in `unit` with one decimal, written with the German decimal comma.
template <typename Unit>
std::string Decimal(std::chrono::nanoseconds time) {
  std::string text = FormatText("%.1f", std::chrono::duration<double, Unit>(time).count());
  for (char& c : text) {
    if (c == '.') c = ',';
  }
  return text;
}

std::string TimingSection(const ProbeReport& report) {
  const ProbeMeasurement& m = *report.measurement;
  if (!m.loopBack) return "";
  if (!m.timing) {
    return report.untimedSimulator
               ? "Zeitmessung: entfällt, der Simulator läuft ohne Echtzeit (--simulate-speed=real gibt ihm eine).\n"
               : "";
  }
  const TimingMeasurement& t = *m.timing;
  std::string text = FormatText("Zeitmessung mit der Uhr des Rechners, TimeBaseKorr %d:\n", t.timeBaseKorr);
  if (!t.complete) return text + "  abgebrochen: das Programmiergerät antwortet nicht mehr\n";
  const auto perWrite = t.writesTotal / (t.writes > 0 ? t.writes : 1);
  text += FormatText("  %u Registerzugriffe: Median %s µs, längster %s µs, im Mittel %s µs\n", t.writes,
                     Decimal<std::micro>(t.median).c_str(), Decimal<std::micro>(t.longest).c_str(),
                     Decimal<std::micro>(perWrite).c_str());
  text += FormatText("  Wartezeit von %u ms (%u Registerzugriffe): %s ms\n", t.delayMs, t.delayWrites,
                     Decimal<std::milli>(t.delay).c_str());
  const TimingFit fit = FitTimeBase(t);
  text += FormatText("  Passender TimeBaseKorr: %lld", static_cast<long long>(fit.fittingKorr));
  if (fit.fittingKorr < kLowestKorr || fit.fittingKorr > kHighestKorr) {
    text += FormatText(" (einstellbar sind %lld bis %lld)", static_cast<long long>(kLowestKorr),
                       static_cast<long long>(kHighestKorr));
  }
  text += "\n";
  if (fit.percentOff == 0) return text + "  Wartezeiten stimmen\n";
  return text + FormatText("  Wartezeiten %d %% zu %s\n", std::abs(fit.percentOff), fit.percentOff < 0 ? "kurz" : "lang");
}

const char* Verdict(int status) {
  switch (status) {
    case ProbeStatus::Answered:
      return "Ergebnis: Das Programmiergerät antwortet, die Rückschleife stimmt.";
    case ProbeStatus::LoopBackFault:
      return "Ergebnis: Das Programmiergerät antwortet, aber die Rückschleife stimmt nicht.";
    case ProbeStatus::TimingOff:
      return "Ergebnis: Das Programmiergerät antwortet, aber TimeBaseKorr passt nicht zu diesem Rechner: "
             "den passenden Wert in KALVENOR.INI eintragen (Abschnitt Hardware).";
    case ProbeStatus::NoHandshake:
      return "Ergebnis: Kein Handshake. Programmiergerät eingeschaltet, Kabel und Port-Adresse richtig?";
    default:
      return "Ergebnis: Kein Zugang zur Schnittstelle.";
  }
}

}  // namespace

int ProbeExitStatus(const ProbeReport& report) {
  return report.measurement ? MeasurementStatus(*report.measurement) : ProbeStatus::NoPortAccess;
}

std::string ProbeReportText(const ProbeReport& report) {
  std::string text = PortsSection(report) + RouteSection(report);
  if (report.measurement) text += MeasurementSection(*report.measurement) + TimingSection(report);
  return text + Verdict(ProbeExitStatus(report)) + "\n";
}

}  // namespace ferolith
