#pragma once

#include <cstdint>

#include <QObject>

class QAbstractButton;
class QWidget;

namespace ferolith {

class UiServices;

// The InitRegister1 panel of the main window: binds the six bit check boxes
// and the four oscillator radio buttons to the configuration byte. The bit
// logic is InitRegister1Panel's; this class only moves it to and from the
// controls. The radio buttons are not auto-exclusive (each starts its own
// group), so a click handler unchecks the other three itself.
class InitRegister1View : public QObject {
  Q_OBJECT

 public:
  // `dialog` holds the controls by their identifiers; `ui` asks the WDIS
  // question.
  InitRegister1View(QWidget& dialog, UiServices& ui);

  // The byte the panel edits; clicks change it in place.
  void Bind(std::uint8_t& value);

  // Sets every control from the bound byte (UpdateInitRegister1Panel).
  void Update();
  // Sets every control from `value`.
  void Show(std::uint8_t value);

 private:
  void OnCheckBoxClicked(int controlId, bool checked);
  void OnRadioClicked(int controlId);
  QAbstractButton& Button(int controlId) const;

  QWidget& dialog_;
  UiServices& ui_;
  std::uint8_t* value_ = nullptr;
};

}  // namespace ferolith
