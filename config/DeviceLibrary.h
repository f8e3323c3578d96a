#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "config/ChoiceList.h"
#include "config/DeviceLineParser.h"
#include "core/DeviceEntry.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/TextLineReader.h"
#include "core/UiServices.h"

namespace ferolith {

// The device library ACELIST.CSV beside the settings file: the manufacturer
// and device lists of the main window and the selected device's record.
//
// The file is opened afresh by every list fill and device load, read from
// its beginning and closed again before the operation returns. The selected
// positions are the settings ManufIndex and DeviceIndex. The device list
// holds only the device lines that parse without error, and
// LoadSelectedDevice counts exactly those lines, so list entry k is always
// the device that gets loaded.
class DeviceLibrary {
 public:
  DeviceLibrary(UiServices& ui, Settings& settings, DeviceEntry& device)
      : ui_(ui), settings_(settings), device_(device) {}
  ~DeviceLibrary() { CloseLibrary(); }
  DeviceLibrary(const DeviceLibrary&) = delete;
  DeviceLibrary& operator=(const DeviceLibrary&) = delete;

  // ACELIST.CSV in the directory of the settings file.
  std::string LibraryPath() const;

  // Result::Ok, or Result::LibraryError after the message.
  ResultCode OpenLibrary();
  void CloseLibrary();

  // Reads up to and including the line of manufacturer number ManufIndex:
  // Result::Ok, or Result::LibraryError after the message when the file
  // ends first (the file stays open).
  ResultCode SeekManufacturer();
  // The next counted manufacturer's name; Result::EndOfList at the end of the file.
  ResultCode NextManufacturerName(std::string& name);
  // Parses the next flagged device line of the current manufacturer into
  // the device record and returns the parse result; Result::EndOfList at the
  // next manufacturer line (which is consumed) or at the end of the file.
  ResultCode NextDeviceLine();
  // Parses one device line into the device record; see ferolith::ParseDeviceLine.
  ResultCode ParseDeviceLine(std::string_view line);

  // Adds the manufacturers to `manufacturers` (not cleared first), or
  // "Keine Hersteller"; resets a ManufIndex beyond the list to 0 and selects
  // it. Result::EndOfList when there is no manufacturer, Result::LibraryError
  // (after the message) when the library cannot be opened.
  ResultCode FillManufacturerList(ChoiceList& manufacturers);
  // Refills `devices` with the valid devices of manufacturer ManufIndex, or
  // "Keine Bausteine"; resets a DeviceIndex beyond the list to 0 and selects
  // it. Result::EndOfList when there is no device.
  ResultCode FillDeviceList(ChoiceList& devices);
  // Loads device DeviceIndex of manufacturer ManufIndex (counted among the
  // lines the device list shows) into the device record: Result::Ok, or
  // Result::LibraryError after the message.
  ResultCode LoadSelectedDevice();

  // Selection changes of the two lists. A manufacturer change refills the
  // device list and returns what FillDeviceList returned.
  ResultCode OnManufacturerChanged(const ChoiceList& manufacturers, ChoiceList& devices);
  void OnDeviceChanged(const ChoiceList& devices);

 private:
  // The next line as read, cut at a NUL byte; false at the end of the file.
  bool ReadLine(std::string& line);
  DeviceLineContext LineContext() const;
  // True for a flagged device line that parses without error: a line the
  // device list shows. Checked without any message.
  bool IsListedDeviceLine(std::string_view line) const;

  UiServices& ui_;
  Settings& settings_;
  DeviceEntry& device_;
  std::FILE* file_ = nullptr;
  std::optional<TextLineReader> reader_;
};

}  // namespace ferolith
