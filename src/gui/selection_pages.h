// The conversion settings page and the table selection page.
#pragma once

#include <memory>

#include "gui/wizard_page_base.h"
#include "wizard/settings_model.h"
#include "wizard/table_selection_model.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

class settings_page : public sprandel_page {
    Q_OBJECT
public:
    settings_page(wizard_context& context, QWidget* parent = nullptr);

    void initializePage() override;
    bool validatePage() override;  // Next: the destination check, and the overwrite question
    void cleanupPage() override;   // Back keeps the page's values

private:
    settings_fields fields() const;
    void browse();
    void format_changed(int index);

    settings_model model_;
    QLineEdit* dest_ = nullptr;
    QComboBox* format_ = nullptr;
    QLabel* description_ = nullptr;
    QCheckBox* dates_ = nullptr;
    QCheckBox* wrap_ = nullptr;
    QCheckBox* split_ = nullptr;
};

class table_selection_page : public sprandel_page {
    Q_OBJECT
public:
    table_selection_page(wizard_context& context, QWidget* parent = nullptr);

    void initializePage() override;
    bool validatePage() override;

private:
    void refresh();  // the two lists and their current items from the model
    void add_query();
    void edit_query();

    table_selection_model model_;
    QListWidget* available_ = nullptr;
    QListWidget* selected_ = nullptr;
    bool refreshing_ = false;
};
