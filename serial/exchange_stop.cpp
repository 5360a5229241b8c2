#include "exchange_stop.h"

#include <chrono>

#include "serial_port.h"

void ExchangeStop::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        // Under the lock: the exchange cannot release the port while it is being cancelled.
        if (port_ != nullptr) port_->CancelTransfers();
    }
    wake_.notify_all();
}

void ExchangeStop::Sleep(uint32_t ms) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped_.load(); });
}

void ExchangeStop::Hold(CSerial* port) {
    std::lock_guard lock(mutex_);
    port_ = port;
    if (port_ != nullptr && stopped_) port_->CancelTransfers();
}

void ExchangeStop::Reset() {
    std::lock_guard lock(mutex_);
    stopped_ = false;
    port_ = nullptr;
}
