// The view of the device editor (Form5): a top-level window of its own with
// no parent, so that it stays usable while the main window is disabled
// during a registration. Entry boxes hold the operator to the byte limits
// and refused characters of their core controls.
#pragma once

#include <QValidator>
#include <QWidget>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace zol {

class App;
class Mirror;
class TextControl;

// Applies FitTypedText to the operator's edits of a box (typing, pasting,
// an input method's commit); the program's own texts pass unchanged.
class ByteLimitValidator : public QValidator {
  Q_OBJECT
 public:
  ByteLimitValidator(const TextControl& control, QObject* parent);
  State validate(QString& input, int& pos) const override;
  // Around the mirror's setText: the text is taken as it is.
  void SetProgramText(bool on) { program_ = on; }
  // The text the box shows now (the "before" of the next edit).
  void Accepted(const QString& text) { before_ = text; }

 private:
  const TextControl& control_;
  bool program_ = false;
  QString before_;
};

class DeviceEditorView : public QWidget {
  Q_OBJECT
 public:
  DeviceEditorView(App& app, Mirror& mirror);

  QTabWidget* tabs = nullptr;
  QComboBox* group = nullptr;    // ComboBoxEx1
  QComboBox* method = nullptr;   // ComboBox9
  QLineEdit* name = nullptr;     // Edit9
  QLineEdit* address = nullptr;  // Edit10
  QLineEdit* port = nullptr;     // Edit11
  QLineEdit* password = nullptr; // MaskEdit1
  QPushButton* store = nullptr;  // BitBtn1
  QPushButton* cancel = nullptr; // BitBtn2
  QPushButton* identity = nullptr;  // BitBtn3
};

}  // namespace zol
