// The connect animation.
#include "gui/connect_animation.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <atomic>
#include <thread>

namespace {
constexpr int frame_period_ms = 500;
}

connect_animation::connect_animation(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("101");
    setModal(true);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(16, 12, 20, 12);
    layout->setSpacing(14);
    for (std::size_t i = 0; i < frames_.size(); ++i)
        frames_[i] = QPixmap(QStringLiteral(":/art/connect_%1.png").arg(i + 1));
    picture_ = new QLabel(frame);
    picture_->setObjectName("1301");
    picture_->setFixedSize(32, 32);
    layout->addWidget(picture_);
    auto* text = new QLabel(tr("Connecting to Oracle data source.\nPlease wait..."), frame);
    layout->addWidget(text);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &connect_animation::next_frame);
}

void connect_animation::next_frame() {
    frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
    picture_->setPixmap(frames_[static_cast<std::size_t>(frame_)]);
}

void connect_animation::run(const std::function<void()>& job) {
    frame_ = -1;
    next_frame();
    timer_->start(frame_period_ms);
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        job();
        ended = true;
        // Queued, so it lands in the window's own loop even if the job beat exec() to it.
        QMetaObject::invokeMethod(this, [this] { done(0); }, Qt::QueuedConnection);
    });
    if (!ended.load()) exec();
    worker.join();
    timer_->stop();
    frame_ = -1;
}
