#pragma once

// Keeping the screen saver and display blanking away during a show: an
// inhibition held through the desktop's screen-saver service while the
// option is on, and a user-activity poke on every keep-awake tick. No
// keystrokes are sent to any window.

#include <QObject>
#include <QString>

namespace scenova::platform {

class ScreenSaver {
 public:
  virtual ~ScreenSaver() = default;
  // Holds (true) or releases (false) the inhibition. Never blocks.
  virtual void setInhibited(bool on) = 0;
  virtual bool inhibited() const = 0;
  // Tells the desktop that the user is active. Never blocks.
  virtual void pokeActivity() = 0;
};

// Where no desktop service is wanted: holds nothing.
class NoScreenSaver final : public ScreenSaver {
 public:
  void setInhibited(bool on) override { on_ = on; }
  bool inhibited() const override { return on_; }
  void pokeActivity() override {}

 private:
  bool on_ = false;
};

// org.freedesktop.ScreenSaver on the session bus. Calls are asynchronous;
// the cookie of Inhibit is kept for UnInhibit, also when the option goes
// off before the answer arrived. The destructor releases a held inhibition
// and waits at most 200 ms for the bus.
class DBusScreenSaver final : public QObject, public ScreenSaver {
  Q_OBJECT
 public:
  explicit DBusScreenSaver(QString applicationName, QObject* parent = nullptr);
  ~DBusScreenSaver() override;
  void setInhibited(bool on) override;
  bool inhibited() const override { return wanted_; }
  void pokeActivity() override;

  // The cookie of the inhibition held now, 0 when none.
  uint cookie() const { return cookie_; }

 Q_SIGNALS:
  // After each answer of the service (tests wait for these).
  void answered();

 private:
  void request();
  void release();

  QString app_;
  bool wanted_ = false;
  bool pending_ = false;  // an Inhibit call waits for its answer
  uint cookie_ = 0;
};

}  // namespace scenova::platform
