// Change detection: which alert a changed item raises and the mail line
// that tells it.
#pragma once

#include <string>
#include <vector>

namespace zol {

enum class AlertKind { None, Caution, Alarm, Recovery, TimeOut };

// The alert of an item whose picture changed from old_image to new_image: a
// recovery only when the old picture was a real state (below 9).
AlertKind AlertKindOf(int new_image, int old_image);

// text cut to width bytes or padded with blanks to width bytes.
std::string PadBytes(const std::string& text, size_t width);

// One mail line: outlet + ": " + new text (20 bytes) + "<- " + old text up
// to its "(" (12 bytes) + the outlet's name.
std::string EventLine(int outlet, const std::string& new_text, const std::string& old_text,
                      const std::string& outlet_name);

class App;
struct ItemRow;

// Change detection of the main window: an item's new state updates its
// icon and, while monitoring runs, raises its log line, sound and mail
// line; the collected mail lines wait here until they are sent.
class Alerts {
 public:
  explicit Alerts(App& app);

  App& app;

  void ListDataCheck(int row, int outlet);
  // ListDataCheck on a row whose cells were looked up once, with the item's
  // ItemState code already computed from it.
  void ListDataCheck(const ItemRow& row, int outlet, const std::string& code);
  void Soundplay(int kind);
  // The collected notice lines, one entry per device in the order the
  // devices raised their first line; each device gets its own mail.
  struct DeviceMail {
    int row = 0;
    std::vector<std::string> lines;
  };
  std::vector<DeviceMail> MailBody;
  void MailBodyAdd(int row, const std::string& line);
  // The "empty the mail body" step before a device's items are evaluated:
  // with mail sending off the collected lines are dropped; with it on they
  // stay until they are sent.
  void MailBodyClear();

  // Notice mails sent today.
  int MailCount = 0;
};

}  // namespace zol
