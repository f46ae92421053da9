// The views of the console's windows: each builds its widgets, binds them
// to the core window's controls through the mirror and forwards the
// operator's events to the core's handlers. No rule of the system here.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QWidget>
#include <array>

class QListView;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QToolButton;

namespace zol {

class App;
class Mirror;
class DetailView;
class ChartView;

class SplashView : public QWidget {
  Q_OBJECT
 public:
  SplashView(App& app, Mirror& mirror);
};

class TermsView : public QWidget {
  Q_OBJECT
 public:
  TermsView(App& app, Mirror& mirror);
  QPushButton* agree = nullptr;
  QPushButton* disagree = nullptr;
  QPlainTextEdit* text = nullptr;
};

// The tray icon and its menu (also the icon view's context menu).
class TrayView : public QObject {
  Q_OBJECT
 public:
  TrayView(App& app, Mirror& mirror);
  ~TrayView() override;
  QMenu* menu() const { return menu_; }
  QSystemTrayIcon* icon() const { return icon_; }

 private:
  App& app_;
  QMenu* menu_;
  QSystemTrayIcon* icon_;
};

class MainView : public QMainWindow {
  Q_OBJECT
 public:
  MainView(App& app, Mirror& mirror, QMenu* icon_menu);

  QToolButton* start = nullptr;     // ToolButton1
  QToolButton* stop = nullptr;      // ToolButton2
  QToolButton* settings = nullptr;  // ToolButton7
  QToolButton* all = nullptr;       // ToolButton3
  std::array<QToolButton*, 8> filters{};  // 1..7
  QLabel* panel20 = nullptr;
  QLabel* label5 = nullptr;
  QLabel* time_panel = nullptr;
  QLabel* ref_time_panel = nullptr;
  std::array<QLabel*, 6> counters{};  // Panel12, 13, 14, 15, 17, 19
  QListView* icons = nullptr;
  QListWidget* recv_list = nullptr;
  QListWidget* syslog_list = nullptr;
  QTabWidget* left_tabs = nullptr;
  QTabWidget* right_tabs = nullptr;
  std::array<QLabel*, 5> status{};
  QWidget* temp_panel = nullptr;

 private:
  App& app_;
};

class DebugView : public QWidget {
  Q_OBJECT
 public:
  DebugView(App& app, Mirror& mirror);
  QTableView* table = nullptr;
  QTableView* unreg = nullptr;
  QTableView* ring = nullptr;
  QPushButton* dump = nullptr;
  QPushButton* inject = nullptr;
};

// Every view of the run, on one mirror.
class ConsoleUi {
 public:
  explicit ConsoleUi(App& app);
  ~ConsoleUi();
  Mirror& mirror() { return *mirror_; }
  MainView& main() { return *main_; }
  DebugView& debug() { return *debug_; }
  SplashView& splash() { return *splash_; }
  TermsView& terms() { return *terms_; }
  TrayView& tray() { return *tray_; }
  DetailView& detail() { return *detail_; }
  ChartView& chart() { return *chart_; }

 private:
  Mirror* mirror_;
  TrayView* tray_;
  SplashView* splash_;
  MainView* main_;
  DebugView* debug_;
  TermsView* terms_;
  DetailView* detail_;
  ChartView* chart_;
};

}  // namespace zol
