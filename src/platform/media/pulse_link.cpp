#include "pulse_link.h"

#include <pulse/pulseaudio.h>

#include <utility>

namespace scenova::platform {

namespace {

timeval inMs(int ms) {
  timeval at;
  pa_timeval_add(pa_gettimeofday(&at), pa_usec_t(ms) * PA_USEC_PER_MSEC);
  return at;
}

}  // namespace

PulseLink::PulseLink(const char* clientName, StateHandler onState)
    : name_(clientName), onState_(std::move(onState)) {}

PulseLink::~PulseLink() {
  stop();
}

bool PulseLink::start() {
  if (loop_) return true;
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) return false;
  if (pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    return false;
  }
  closing_ = false;
  return true;
}

void PulseLink::stop() {
  if (!loop_) return;
  pa_threaded_mainloop_lock(loop_);
  closing_ = true;
  if (retry_) pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
  retry_ = nullptr;
  drop();
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
  loop_ = nullptr;
}

PulseLink::Lock::Lock(const PulseLink& link) : loop_(link.loop_) {
  if (loop_) pa_threaded_mainloop_lock(loop_);
}

PulseLink::Lock::~Lock() {
  if (loop_) pa_threaded_mainloop_unlock(loop_);
}

bool PulseLink::isUp() const {
  return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool PulseLink::isDown() const {
  return !context_ || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_));
}

bool PulseLink::connect() {
  drop();
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), name_.constData());
  if (!context_) return false;
  pa_context_set_state_callback(context_, onContextState, this);
  return pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
}

void PulseLink::drop() {
  if (!context_) return;
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_set_subscribe_callback(context_, nullptr, nullptr);
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  context_ = nullptr;
}

void PulseLink::onContextState(pa_context* context, void* self) {
  auto* link = static_cast<PulseLink*>(self);
  link->onState_(context);
  link->wake();
}

void PulseLink::retryIn(int ms, std::function<void()> then) {
  if (retry_ || closing_) return;
  retryThen_ = std::move(then);
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  const timeval at = inMs(ms);
  retry_ = api->time_new(
      api, &at,
      [](pa_mainloop_api* a, pa_time_event* e, const struct timeval*, void* self) {
        auto* link = static_cast<PulseLink*>(self);
        a->time_free(e);
        link->retry_ = nullptr;
        if (!link->closing_) std::exchange(link->retryThen_, {})();
      },
      this);
}

bool PulseLink::waitUntil(const std::function<bool()>& done, int ms) {
  if (done()) return true;
  timedOut_ = false;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  const timeval at = inMs(ms);
  pa_time_event* timer = api->time_new(
      api, &at,
      [](pa_mainloop_api* a, pa_time_event* e, const struct timeval*, void* self) {
        auto* link = static_cast<PulseLink*>(self);
        a->time_free(e);
        link->timedOut_ = true;
        link->wake();
      },
      this);
  while (!done() && !timedOut_) pa_threaded_mainloop_wait(loop_);
  if (!timedOut_ && timer) api->time_free(timer);
  return done();
}

void PulseLink::wake() {
  pa_threaded_mainloop_signal(loop_, 0);
}

}  // namespace scenova::platform
