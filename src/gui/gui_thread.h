// Running a piece of work on the GUI thread from any thread, waiting for its result.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <type_traits>

// Widgets live on the GUI thread only: a worker's call is queued there and the worker waits,
// so the window keeps painting while a box is up.
template <class Work>
auto on_gui_thread(Work work) -> decltype(work()) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) return work();
    if constexpr (std::is_void_v<decltype(work())>) {
        QMetaObject::invokeMethod(application, work, Qt::BlockingQueuedConnection);
    } else {
        decltype(work()) result{};
        QMetaObject::invokeMethod(application, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}
