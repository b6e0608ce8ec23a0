// A job session on the OCI emulator with a scripted user and the error handler, as the pages
// find them in the wizard.
#pragma once

#include <memory>

#include "../support/emulator.h"
#include "../support/scripted_user_interface.h"
#include "convert/error_tables.h"
#include "convert/job_session.h"

class wizard_fixture {
protected:
    wizard_fixture() {
        handler->exit_hook = [](int) {};
        session.work().connection = {"", "1521", "", "SCOTT", "tiger"};
    }

    temp_folder folder;
    emulator_database source{"WIZDB",
                             {"CREATE TABLE EMP (ID NUMBER(4), NAME VARCHAR2(20))",
                              "INSERT INTO EMP VALUES (1, 'Ada'), (2, 'Grace')",
                              "CREATE TABLE DEPT (ID NUMBER(4))", "INSERT INTO DEPT VALUES (10)",
                              "CREATE TABLE bonus (ID NUMBER(4))"}};
    scripted_user_interface face;
    std::unique_ptr<error_handler> handler = create_error_handler(&face);
    job_session session{folder.path() / "Sprandel.conf", {OCIEMU_LIBRARY}};

    void connect_to(const std::string& service) {
        session.work().connection.service = service;
        session.connect();
    }
};
