#pragma once
// The one way the headless layers (platform, data, tax, export) talk to the user. The GUI
// installs a Qt implementation at start-up; tests install a scripted one that records what
// was shown and answers from a queue. Without either, a headless default answers with each
// request's default and writes messages to standard error.
#include <functional>
#include <string>
#include <vector>

namespace uis {

enum class MsgKind { Warning, Error, Information, Confirmation };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore, Yes };

// Modal results, numbered as the framework's dialogs return them.
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

struct MessageRequest {
  MsgKind kind = MsgKind::Information;
  std::string caption;              // window caption; empty = the kind's own word
  std::vector<std::string> lines;   // main text, line by line
  std::string detail;               // optional detail block (error codes, file names)
  Buttons buttons = Buttons::Ok;
  int defaultResult = mrOk;         // the answer of the default button
};

// Single-value text entry.
struct InputRequest {
  int mode = 0;                // 1 = password entry (characters hidden)
  std::string caption;
  std::string message;         // label above the entry
  bool messageRed = false;     // the message in red (a retry after a wrong entry)
  std::string value;           // in: initial text; out: the entry after OK
  std::string hint;
  int maxLength = 0;           // in characters; 0 = no limit
  int charFilter = 0;          // 0 none, 10 digits, 20 letters, 30 letters and digits, 40 file-name characters
};

struct FileDialogRequest {
  std::string caption;
  std::string initialDir;
  std::string fileName;        // in: proposed name; out: chosen path
  std::string filter;          // "説明|*.xml|すべて|*.*"
  std::string defaultExt;
  bool save = false;
  bool overwritePrompt = true;
};

struct FolderDialogRequest {
  std::string caption;
  std::string root;            // empty = the whole file system
  std::string folder;          // in: initial selection; out: chosen folder
  int maxLength = 255;
};

// The standard print dialog: which pages, how many copies, collated, in which orientation.
struct PrintRangeRequest {
  std::string printerName;
  int minPage = 1;
  int maxPage = 1;
  bool pageRange = false;  // out: true when only fromPage..toPage are to be printed
  int fromPage = 1;
  int toPage = 1;
  int copies = 1;
  bool collate = false;
  int orientation = 0;     // 0 portrait, 1 landscape
};

class UiServices {
 public:
  virtual ~UiServices() = default;

  // Shows a modal message box and returns the modal result of the button pressed.
  virtual int MessageBox(const MessageRequest& request) = 0;
  // Modal text entry; true on OK with request.value holding the entry.
  virtual bool InputText(InputRequest& request) = 0;
  virtual bool FileDialog(FileDialogRequest& request) = 0;
  virtual bool FolderDialog(FolderDialogRequest& request) = 0;
  // The print dialog; true on OK with the request holding the choices. Without a GUI that
  // shows one, everything is printed as proposed.
  virtual bool PrintRange(PrintRangeRequest& request) {
    (void)request;
    return true;
  }

  // A modeless progress window over the active window.
  virtual void ProgressShow(const std::string& caption, const std::string& text) = 0;
  virtual void ProgressText(const std::string& text) = 0;
  virtual void ProgressClose() = 0;

  // Lets the GUI handle what is pending (paint, input) during a long operation.
  virtual void ProcessPendingEvents() = 0;
  // Pixels per inch of the main window's screen (96 without a screen).
  virtual int ScreenDpi() = 0;
  // True while the GUI shows the busy (hourglass) cursor.
  virtual bool IsBusyCursor() = 0;
  // Asks the application to end (the event loop returns; the program exits normally).
  virtual void RequestQuit() = 0;
};

// The installed implementation (never null: the headless default until one is installed).
UiServices& Ui();
// Installs `ui` (not owned); nullptr restores the headless default. Returns the previous one.
UiServices* SetUi(UiServices* ui);

// Convenience for the common one-button case: shows the lines as a message of `kind`.
int ShowMessage(MsgKind kind, const std::string& text, const std::string& detail = {},
                Buttons buttons = Buttons::Ok, int defaultResult = mrOk);

}  // namespace uis
