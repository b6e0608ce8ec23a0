// The welcome page and the connection page.
#pragma once

#include "gui/wizard_page_base.h"

class QLineEdit;

class welcome_page : public sprandel_page {
    Q_OBJECT
public:
    welcome_page(wizard_context& context, QWidget* parent = nullptr);

private:
    void load_settings();
};

class connection_page : public sprandel_page {
    Q_OBJECT
public:
    connection_page(wizard_context& context, QWidget* parent = nullptr);

    void initializePage() override;
    bool validatePage() override;  // Next: store, check the name, connect under the animation
    void cleanupPage() override;   // Back keeps what was typed

private:
    void store_settings();
    QLineEdit* host_ = nullptr;
    QLineEdit* database_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
};

// Connects to the job's database under the animation; true when connected. Shown on
// the connection page and in quick launch.
bool connect_with_animation(wizard_context& context, QWidget* parent);
