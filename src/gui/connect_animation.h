// The small window with a moving picture that stays up while a worker thread connects.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <array>
#include <functional>

class QLabel;
class QTimer;

class connect_animation : public QDialog {
    Q_OBJECT
public:
    explicit connect_animation(QWidget* parent);

    // Runs job on a worker thread while the window is up and returns when the job has
    // ended; the window closes then, also when the job ends before it has appeared.
    void run(const std::function<void()>& job);

protected:
    void reject() override {}  // Escape cannot leave a connection half made

private:
    void next_frame();

    std::array<QPixmap, 8> frames_;
    int frame_ = -1;
    QLabel* picture_ = nullptr;
    QTimer* timer_ = nullptr;
};
