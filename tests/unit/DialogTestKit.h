#pragma once
// What the dialog's native tests share: a form view that plays a script of
// user actions instead of running a window, and a cleaner over an in-memory
// URL cache and a real INI file in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "IENorvaneU.h"
#include "StandInPlatform.h"
#include "TempDir.h"
#include "frmIENorvane.h"

// Shows the form by playing `Script`, each action as the message loop runs
// an event; records the failures it is asked to show. When the script
// leaves no modal result, the window is closed (mrCancel), as by its close
// box.
class TScriptedFormView : public IFormView {
public:
  using TAction = std::function<void(TConfForm &)>;

  // What the view saw: the failures it showed and how often it was shown.
  struct TRecord {
    std::vector<std::string> Failures;
    int ShowCount = 0;
  };

  TScriptedFormView(TConfForm &form, std::vector<TAction> script, TRecord &record)
      : Form(form), Script(std::move(script)), Record(record) {
    Form.AttachView(this);
  }
  ~TScriptedFormView() override { Form.AttachView(nullptr); }

  void ShowModal() override {
    ++Record.ShowCount;
    Form.Shown();
    for (const TAction &action : Script) {
      if (Form.ModalResult != mrNone) break;
      Form.HandleEvent([&] { action(Form); });
    }
    if (Form.ModalResult == mrNone) Form.ModalResult = mrCancel;
  }

  void ShowFailure(const std::string &message) override { Record.Failures.push_back(message); }

private:
  TConfForm &Form;
  std::vector<TAction> Script;
  TRecord &Record;
};

// The rows of `list` as "caption|sub1|sub2".
inline std::vector<std::string> RowsOf(const TListView &list) {
  std::vector<std::string> rows;
  for (size_t i = 0; i < list.RowCount(); ++i)
    rows.push_back(std::string(list.Cell(i, 0)) + "|" + list.Cell(i, 1) + "|" + list.Cell(i, 2));
  return rows;
}

// A cleaner on an in-memory cache and a real INI file, with a configuration
// run that plays a script.
class DialogFixture : public ::testing::Test, public TStandInPlatform {
protected:
  DialogFixture() : Cleaner(*this) {}

  // Loads the settings from the INI file and runs the configuration with
  // `script`; the view's record is kept in View.
  std::optional<std::string> Configure(std::vector<TScriptedFormView::TAction> script) {
    Cleaner.LoadSettings(IniPath(), Section);
    return RunConfiguration(Cleaner, IniPath(), Section, [&](TConfForm &form) {
      return std::make_unique<TScriptedFormView>(form, std::move(script), View);
    });
  }

  // Writes `text` as the whole INI file.
  void WriteIni(const std::string &text) const {
    std::ofstream(IniPath(), std::ios::binary) << text;
  }

  // The whole INI file; empty when it does not exist.
  std::string ReadIni() const {
    std::ifstream in(IniPath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string IniPath() const { return Folder.File("norvane.ini"); }

  TTempDir Folder;
  const std::string Section = "IE Norvane";
  TIENorvane Cleaner;
  TScriptedFormView::TRecord View;
};
