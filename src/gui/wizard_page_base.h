// What every page of the wizard shares: the job session, the face and error handler it talks through, its
// header, help topic and pictures.
#pragma once

#include <QWizardPage>
#include <memory>
#include <string>

#include "wizard/wizard_pages.h"

class conversion_run;
class tk_destination_lock;
class error_handler;
class job_session;
class qt_user_interface;
class QLabel;

struct wizard_context {
    job_session& session;
    qt_user_interface& face;
    error_handler& handler;
    std::string default_folder;  // where a new destination goes
    std::shared_ptr<conversion_run> run;  // the last run started, for the finish page
    // Held from the moment the user commits to a destination until the run takes it over,
    // so a second run on it is refused then, not after connecting or at its start.
    std::unique_ptr<tk_destination_lock> destination_lock;
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
