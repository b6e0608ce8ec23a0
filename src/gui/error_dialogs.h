// The two dialogs of failed work: Continue/Abort with its check box, and the internal-error
// dialog with "Send bug", "OK" and "Copy to clipboard".
#pragma once

#include <QDialog>

#include "convert/user_interface.h"

class QCheckBox;

class continue_dialog : public QDialog {
    Q_OBJECT
public:
    continue_dialog(const QString& title, const QString& text, QWidget* parent);
    continue_choice choice() const;

private:
    QCheckBox* do_not_show_ = nullptr;
    bool continue_run_ = true;
};

class internal_error_dialog : public QDialog {
    Q_OBJECT
public:
    internal_error_dialog(const QString& title, const QString& text, const QString& program_title, QWidget* parent);

private:
    void send_bug();
    QString text_;
    QString program_title_;
};
