#pragma once
// What the dialog's native tests share: a form view that plays a script of
// user actions instead of running a window, and a cleaner over an in-memory
// URL cache and a real INI file in a temporary folder.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "IENorvaneU.h"
#include "KeepSitesForm.h"
#include "StandInPlatform.h"
#include "TempDir.h"
#include "frmIENorvane.h"

// The dialog's thread as a test runs it: work posted from the reader's
// thread waits in a queue until the test thread runs it (Settle), so that
// the form is only ever touched by the test's thread.
class TQueuedDialogThread : public IDialogThread {
public:
  void Post(std::function<void()> work) override {
    {
      const std::lock_guard guard(Lock);
      Queue.push_back(std::move(work));
    }
    Arrived.notify_one();
  }

  // Runs posted work, each as the form's event, until `form` has no read
  // outstanding and nothing is queued. The reader is idle then: the test
  // may change the cache. Fails the test after 10 s.
  void Settle(TConfForm &form) {
    for (;;) {
      std::deque<std::function<void()>> batch;
      {
        std::unique_lock guard(Lock);
        const bool ready = Arrived.wait_for(guard, std::chrono::seconds(10),
                                            [&] { return !Queue.empty() || !form.ReadingCache(); });
        if (!ready) {
          ADD_FAILURE() << "the reader delivers nothing";
          return;
        }
        batch.swap(Queue);
      }
      if (batch.empty()) return;
      for (const auto &work : batch)
        form.HandleEvent(work);
    }
  }

private:
  std::mutex Lock;
  std::condition_variable Arrived;
  std::deque<std::function<void()>> Queue;
};

// Shows the editor of the sites to keep by playing a script of its own, each
// action as an event of the editor; records the failures it showed and the
// editor's lists as they were when the script ended. Without a modal result
// at the end, the editor is closed as by its close box (mrCancel).
class TScriptedEditorView : public IFormView {
public:
  using TAction = std::function<void(TKeepSitesForm &)>;

  struct TRecord {
    std::vector<std::string> Failures;
    std::vector<std::string> Focused;
    std::vector<std::string> CookieSites, KeptSites; // "caption|sub1" per row
    int ShowCount = 0;
  };

  TScriptedEditorView(TKeepSitesForm &form, std::vector<TAction> script, TRecord &record)
      : Form(form), Script(std::move(script)), Record(record) {
    Form.AttachView(this);
  }
  ~TScriptedEditorView() override { Form.AttachView(nullptr); }

  void ShowModal() override {
    ++Record.ShowCount;
    for (const TAction &action : Script) {
      if (Form.ModalResult != mrNone) break;
      Form.HandleEvent([&] { action(Form); });
    }
    Record.CookieSites = Rows(Form.lvCookieSites);
    Record.KeptSites = Rows(Form.lvKeptSites);
    if (Form.ModalResult == mrNone) Form.ModalResult = mrCancel;
  }
  void ShowFailure(const std::string &message) override { Record.Failures.push_back(message); }
  void FocusAtEnd(TEdit &edit) override { Record.Focused.push_back(edit.Name); }
  void Post(std::function<void()>) override { ADD_FAILURE() << "the editor posts no work"; }

private:
  static std::vector<std::string> Rows(const TListView &list) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < list.RowCount(); ++i)
      rows.push_back(std::string(list.Cell(i, 0)) + "|" + list.Cell(i, 1));
    return rows;
  }

  TKeepSitesForm &Form;
  std::vector<TAction> Script;
  TRecord &Record;
};

// Shows the form by playing `Script`, each action as the message loop runs
// an event, letting the reader's work run before the first action and
// after each (Settle); records the failures it is asked to show and where
// the focus was put. When the script leaves no modal result, the window is
// closed (mrCancel), as by its close box.
class TScriptedFormView : public IFormView {
public:
  using TAction = std::function<void(TConfForm &)>;

  // What the view saw: the failures it showed, the mask boxes it put the
  // focus in after them, how often it was shown, and what the editor of the
  // sites to keep saw; and the scripts the editor plays, one per opening.
  struct TRecord {
    std::vector<std::string> Failures;
    std::vector<std::string> Focused;
    int ShowCount = 0;
    TScriptedEditorView::TRecord Editor;
    std::deque<std::vector<TScriptedEditorView::TAction>> EditorScripts;
  };

  TScriptedFormView(TConfForm &form, std::vector<TAction> script, TRecord &record)
      : Form(form), Script(std::move(script)), Record(record) {
    Form.AttachView(this);
  }
  ~TScriptedFormView() override { Form.AttachView(nullptr); }

  void ShowModal() override {
    ++Record.ShowCount;
    Form.Shown();
    Thread.Settle(Form);
    for (const TAction &action : Script) {
      if (Form.ModalResult != mrNone) break;
      Form.HandleEvent([&] { action(Form); });
      Thread.Settle(Form);
    }
    if (Form.ModalResult == mrNone) Form.ModalResult = mrCancel;
  }

  void ShowFailure(const std::string &message) override { Record.Failures.push_back(message); }
  void FocusAtEnd(TEdit &edit) override { Record.Focused.push_back(edit.Name); }
  void Post(std::function<void()> work) override { Thread.Post(std::move(work)); }

  // The editor of the sites to keep plays the next of Record.EditorScripts
  // each time the form opens it; with none left, it is closed at once.
  std::unique_ptr<IFormView> ViewFor(TForm &form) override {
    auto *editor = dynamic_cast<TKeepSitesForm *>(&form);
    if (!editor) return nullptr;
    std::vector<TScriptedEditorView::TAction> script;
    if (!Record.EditorScripts.empty()) {
      script = std::move(Record.EditorScripts.front());
      Record.EditorScripts.pop_front();
    }
    return std::make_unique<TScriptedEditorView>(*editor, std::move(script), Record.Editor);
  }

private:
  TConfForm &Form;
  std::vector<TAction> Script;
  TRecord &Record;
  TQueuedDialogThread Thread;
};

// A form with a background reader of `platform`'s cache, for tests of the
// form without a configuration run: the lists are filled once Settle ran.
struct TFormWithReader {
  explicit TFormWithReader(IPlatform &platform)
      : Form(platform), Reader(platform.UrlCache(), Thread, Form, std::chrono::milliseconds(0)) {
    Form.AttachReader(&Reader);
  }
  ~TFormWithReader() { Form.AttachReader(nullptr); }
  void Settle() { Thread.Settle(Form); }

  TQueuedDialogThread Thread;
  TConfForm Form;
  TBackgroundReader Reader; // after the form and thread it hands its reads to
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
    return RunConfiguration(
        Cleaner, IniPath(), Section,
        [&](TConfForm &form) {
          return std::make_unique<TScriptedFormView>(form, std::move(script), View);
        },
        std::chrono::milliseconds(0));
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
