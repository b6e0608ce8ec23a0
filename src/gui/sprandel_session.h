// One start of the program: error handler, face, job session (with the settings of the last
// run) and the wizard, interactive or as quick launch of a profile.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/qt_user_interface.h"
#include "gui/wizard_page_base.h"

class error_handler;
class conversion_run;
class job_session;
class sprandel_wizard;
class QObject;
class QUrl;

struct wizard_environment {
    std::filesystem::path settings_path;                 // empty: the user's settings file
    std::vector<std::string> oracle_library_candidates;  // empty: the installed client
    std::string default_folder;                          // empty: the user's home
    std::function<void(const QUrl&)> open_url;           // empty: the desktop opens it
};

class sprandel_session {
public:
    explicit sprandel_session(const wizard_environment& environment);
    ~sprandel_session();

    // Builds the wizard: interactive for an empty profile, else quick launch of the profile.
    // Returns the exit code when the program ends before any wizard: 255 when the connection
    // failed, 0 when the profile could not be used (the user has been told).
    std::optional<int> open(const QString& profile);
    // Runs the wizard modally and returns exit_status().
    int exec();
    // Once the wizard has closed: after a run, the status the console gives for its outcome
    // (0 clean, 1 with errors, 2 nothing written or stopped); without one, 1 (cancelled).
    int exit_status() const;

    sprandel_wizard& wizard() { return *wizard_; }
    job_session& session() { return *session_; }
    // The run the progress page started last; null before any.
    const conversion_run* last_run() const { return context_->run.get(); }
    qt_user_interface& face() { return face_; }

private:
    std::unique_ptr<QObject> keyboard_filter_;  // unused Alt+letter types nothing
    std::unique_ptr<error_handler> handler_;
    qt_user_interface face_;
    std::unique_ptr<job_session> session_;
    std::unique_ptr<wizard_context> context_;
    std::unique_ptr<sprandel_wizard> wizard_;
};

// The whole program after QApplication exists: profile is the command line after the
// program's name, taken whole.
int run_sprandel(const QString& profile, const wizard_environment& environment = {});
