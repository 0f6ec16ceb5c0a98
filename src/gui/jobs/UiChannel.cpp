#include "gui/jobs/UiChannel.h"

#include <QMetaObject>
#include <QObject>

namespace zarkent {

void UiChannel::Post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    if (receiver_ != nullptr) {
        QMetaObject::invokeMethod(receiver_, std::move(call), Qt::QueuedConnection);
    }
}

void UiChannel::Detach() {
    std::lock_guard lock(mutex_);
    receiver_ = nullptr;
}

} // namespace zarkent
