// What every page of the wizard shares: the converter and the face it talks through, its
// header, help topic and pictures.
#pragma once

#include <QWizardPage>
#include <string>

#include "wizard/wizard_pages.h"

class qt_user_interface;
class sprandel_convertor;
class QLabel;

struct wizard_context {
    sprandel_convertor& converter;
    qt_user_interface& face;
    std::string default_folder;  // where a new destination goes
};

class sprandel_page : public QWizardPage {
    Q_OBJECT
public:
    sprandel_page(wizard_page_id id, wizard_context& context, QWidget* parent = nullptr);

    wizard_page_id id() const noexcept { return id_; }
    // The page's help; the progress page opens the whole help, the finish page has none.
    virtual void show_help();

protected:
    // The 13-point title of the exterior pages.
    static void set_title_font(QLabel* label);

    wizard_context& context_;

private:
    wizard_page_id id_;
};
