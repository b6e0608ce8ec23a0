// Starting the wizard, interactive or as quick launch.
#include "gui/sprandel_session.h"

#include <QDir>

#include "convert/error_tables.h"
#include "convert/conversion_run.h"
#include "convert/error_handler.h"
#include "convert/job_session.h"
#include "toolkit/settings_store.h"
#include "gui/intro_pages.h"
#include "gui/sprandel_wizard.h"
#include "wizard/quick_launch.h"
#include "wizard/run_outcome.h"

// The pictures are compiled into the static library; a program linking it must register them.
// (Outside any namespace: the macro declares the registration function.)
static void load_pictures() { Q_INIT_RESOURCE(resources); }

sprandel_session::sprandel_session(const wizard_environment& environment) : handler_(create_error_handler(&face_)) {
    load_pictures();
    face_.open_url = environment.open_url;
    session_ = std::make_unique<job_session>(
        environment.settings_path.empty() ? tk_settings_store::default_path() : environment.settings_path,
        environment.oracle_library_candidates);
    const std::string folder =
        environment.default_folder.empty() ? QDir::homePath().toStdString() : environment.default_folder;
    context_ = std::make_unique<wizard_context>(wizard_context{*session_, face_, *handler_, folder, nullptr});
}

sprandel_session::~sprandel_session() {
    wizard_.reset();  // stops a run still going before the session goes
    context_.reset();
    face_.set_owner(nullptr);
}

std::optional<int> sprandel_session::open(const QString& profile) {
    if (!profile.isEmpty()) {
        quick_launch_steps steps;
        steps.connect = [this] { return connect_with_animation(*context_, nullptr); };
        switch (prepare_quick_launch(*session_, profile.toStdString(), face_, *handler_, steps)) {
            case quick_launch_status::ready: break;
            case quick_launch_status::connection_failed: return 255;  // -1 as the exit status
            case quick_launch_status::refused:
            case quick_launch_status::interrupted: return 0;
        }
    }
    wizard_ = std::make_unique<sprandel_wizard>(*context_, !profile.isEmpty());
    return std::nullopt;
}

int sprandel_session::exec() {
    wizard_->exec();
    return exit_status();
}

int sprandel_session::exit_status() const {
    const conversion_run* run = last_run();
    if (run == nullptr || !run->progress().is_finished()) return 1;
    return judge_run(*run, handler_->had_internal_error(), false).exit_status;
}

int run_sprandel(const QString& profile, const wizard_environment& environment) {
    try {
        sprandel_session session(environment);
        if (const std::optional<int> ended = session.open(profile)) return *ended;
        return session.exec();
    } catch (const std::exception& error) {
        // the session and its handler are gone: a plain box is all that is left
        qt_user_interface().error(error.what());
    }
    return 0;
}
