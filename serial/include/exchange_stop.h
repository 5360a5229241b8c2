// Stopping an exchange from another thread (the dialog's Stop and close, a signal on the command
// line): its waits end at once and a transfer pending on its port is aborted, so nothing holds
// the port longer than the user wants.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class CSerial;

class ExchangeStop {
  public:
    virtual ~ExchangeStop() = default;
    // Any thread. Sticky until Reset.
    void Stop();
    bool Stopped() const { return stopped_; }
    // The exchange's thread: waits `ms`, or less once stopped. Every wait of an exchange is
    // this one, so a test can record the waits or shorten them.
    virtual void Sleep(uint32_t ms);
    // The exchange's port while it is open, nullptr once released; a port handed over after
    // the stop is cut short at once.
    void Hold(CSerial* port);
    // For the next exchange; only while none runs.
    void Reset();

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopped_{false};
    CSerial* port_ = nullptr;
};
