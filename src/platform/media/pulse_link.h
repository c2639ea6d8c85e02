#pragma once

#include <QByteArray>

#include <functional>

struct pa_context;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace scenova::platform {

// A connection to the sound server on a thread of its own (the server
// library's threaded main loop), as the master volume and the list of
// outputs each keep one: the thread, the connection and its state, one
// retry at a time while the server is away, and bounded waits of the GUI
// thread.
//
// start(), stop() and Lock are for the owner's thread. Every other member
// is called with the lock held: inside a Lock on the owner's thread, or
// from the handlers, which run on the connection thread with the lock held.
class PulseLink {
 public:
  // Told of every change of the connection's state.
  using StateHandler = std::function<void(pa_context* context)>;

  PulseLink(const char* clientName, StateHandler onState);
  ~PulseLink();
  PulseLink(const PulseLink&) = delete;
  PulseLink& operator=(const PulseLink&) = delete;

  // False when the thread cannot run.
  bool start();
  // No retry any more, the connection dropped, the thread ended.
  void stop();
  bool started() const { return loop_ != nullptr; }
  bool stopping() const { return closing_; }

  class Lock {
   public:
    explicit Lock(const PulseLink& link);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    pa_threaded_mainloop* loop_;
  };

  pa_context* context() const { return context_; }
  // Connected and ready for requests.
  bool isUp() const;
  // No connection, or one that failed or ended (not one on its way up).
  bool isDown() const;
  // A new connection in place of the last one; false when it failed at once.
  bool connect();
  void drop();
  // then() runs on the connection thread after ms, unless stop() comes
  // first; a retry already waiting is kept.
  void retryIn(int ms, std::function<void()> then);
  // Waits (on the owner's thread) until done() or ms pass; false when the
  // time ran out. The handlers call wake() after what done() reads changed.
  bool waitUntil(const std::function<bool()>& done, int ms);
  void wake();

 private:
  static void onContextState(pa_context* context, void* self);

  QByteArray name_;
  StateHandler onState_;
  std::function<void()> retryThen_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_time_event* retry_ = nullptr;
  bool closing_ = false;
  bool timedOut_ = false;
};

}  // namespace scenova::platform
