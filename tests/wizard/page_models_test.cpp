// The wizard pages' rules without widgets: what each page shows, refuses and hands on.
#include <gtest/gtest.h>

#include <chrono>

#include "convert/job_session.h"
#include "convert/run_progress.h"
#include "wizard/connection_model.h"
#include "wizard/finish_model.h"
#include "wizard/progress_model.h"
#include "wizard/query_rules.h"
#include "wizard/settings_model.h"
#include "wizard/table_selection_model.h"
#include "wizard/wizard_pages.h"
#include "wizard_fixture.h"

namespace {

class page_models : public wizard_fixture, public ::testing::Test {};

using strings = std::vector<std::string>;

}  // namespace

TEST_F(page_models, connection_page_stays_on_an_empty_name_or_a_refused_login) {
    connection_model page(session);
    page.store_settings({"", "", "1521", "SCOTT", "tiger"});
    EXPECT_FALSE(page.may_connect(face));
    EXPECT_EQ(face.shown, strings{"message: You should enter Oracle database name"});

    page.store_settings({"", "WIZDB", "1521", "SCOTT", "wrong"});
    ASSERT_TRUE(page.may_connect(face));
    const connect_outcome refused = page.connect(face, *handler);
    EXPECT_FALSE(refused.connected);
    EXPECT_EQ(refused.help_topic, 0);
    EXPECT_EQ(face.shown.back(), "error: Invalid user name or password.");
    EXPECT_FALSE(session.is_connected());

    // an unknown host is one of the errors the help page explains
    page.store_settings({"db.elsewhere.invalid", "WIZDB", "1521", "SCOTT", "tiger"});
    const connect_outcome no_host = page.connect(face, *handler);
    EXPECT_FALSE(no_host.connected);
    EXPECT_EQ(no_host.help_topic, help_topic_listener_errors);
    EXPECT_EQ(face.shown.back().rfind("error: ORA-12545: connect failed", 0), 0u) << face.shown.back();

    page.store_settings({"", "WIZDB", "1521", "SCOTT", "tiger"});
    EXPECT_TRUE(page.connect(face, *handler).connected);
    EXPECT_TRUE(session.is_connected());
    const connection_fields shown = page.page_init();  // Back and Next again shows what was typed
    EXPECT_EQ(shown.database, "WIZDB");
    EXPECT_EQ(shown.user, "SCOTT");
    EXPECT_EQ(shown.password, "tiger");
}

TEST_F(page_models, settings_page_defaults_checks_and_asks_before_replacing) {
    connect_to("WIZDB");
    session.work().destination.clear();
    settings_model page(session, folder.path().string());
    EXPECT_EQ(page.page_init().dest, folder.file("WIZDB.xls"));
    page.select_format(workbook_format::excel_2010);
    EXPECT_EQ(page.page_init().dest, folder.file("WIZDB.xlsx"));

    settings_fields fields = page.page_init();
    fields.wrap_text = false;
    fields.dest = "";
    EXPECT_FALSE(page.on_next(fields, face));
    EXPECT_EQ(face.shown.back(), "message: You should enter MS Excel file name");
    EXPECT_FALSE(session.work().wrap_text);

    fields.dest = folder.file("missing/out.xlsx");
    EXPECT_FALSE(page.on_next(fields, face));
    EXPECT_EQ(face.shown.back(), "error: Destination path does not exist.\nPlease verify the correct path was given.");

    fields.dest = folder.file("old.xlsx");
    write_file(fields.dest, "keep me");
    face.yes_no_answers = {false, true};
    EXPECT_FALSE(page.on_next(fields, face));
    EXPECT_EQ(face.shown.back(), "question: Destination file already exists. Overwrite?");
    EXPECT_EQ(read_file(fields.dest), "keep me");
    EXPECT_TRUE(page.on_next(fields, face));
    EXPECT_EQ(read_file(fields.dest), "keep me");  // Yes replaces it only when the new one is complete
    EXPECT_EQ(session.work().destination, fields.dest);
    EXPECT_FALSE(session.work().wrap_text);

    // the save dialogs append the extension unless the name already contains it
    EXPECT_EQ(with_default_extension("/tmp/job", "spr"), "/tmp/job.spr");
    EXPECT_EQ(with_default_extension("/tmp/job.spr.old", "spr"), "/tmp/job.spr.old");
    EXPECT_EQ(with_default_extension("/tmp/book.xls", ".xlsx"), "/tmp/book.xls.xlsx");
}

TEST_F(page_models, table_page_keeps_sorted_lists_a_current_item_and_unique_names_and_hands_them_on) {
    connect_to("WIZDB");
    table_selection_model page(session);
    page.page_init();
    EXPECT_EQ(page.available(), (strings{"bonus", "DEPT", "EMP"}));  // letter case does not sort
    EXPECT_EQ(page.available_current(), 0);

    page.set_current(table_selection_model::list_id::available, 2);
    page.add();  // EMP; the current item stays at the same position, or the last one
    EXPECT_EQ(page.selected(), strings{"EMP"});
    EXPECT_EQ(page.available_current(), 1);
    page.add_all();
    EXPECT_EQ(page.selected(), (strings{"bonus", "DEPT", "EMP"}));
    EXPECT_TRUE(page.available().empty());
    EXPECT_EQ(page.focus(), table_selection_model::list_id::selected);
    EXPECT_EQ(page.selected_current(), 0);

    page.set_current(table_selection_model::list_id::selected, 1);
    page.remove();
    EXPECT_EQ(page.available(), strings{"DEPT"});
    EXPECT_EQ(page.selected_current(), 1);
    page.remove_all();
    EXPECT_EQ(page.available(), (strings{"bonus", "DEPT", "EMP"}));
    EXPECT_EQ(page.focus(), table_selection_model::list_id::available);

    // Nothing selected with tables available: the question, and No keeps the page.
    face.yes_no_answers = {false};
    EXPECT_FALSE(page.on_next(face));
    EXPECT_EQ(face.shown, strings{"question: There are no tables selected. Continue anyway?"});

    // Fault: a query named like a table, or renamed like another item, made one worksheet
    // of two items and lost one of them without a word.
    page.set_current(table_selection_model::list_id::available, 1);
    page.add();  // DEPT
    EXPECT_FALSE(page.add_query("dept", "SELECT 1 FROM DUAL", face));  // letter case aside, a duplicate
    EXPECT_EQ(face.shown.back(),
              "message: The name \"dept\" is taken by the table \"DEPT\": each table and query becomes a "
              "worksheet, and worksheet names do not differ by letter case. Try another name.");
    EXPECT_FALSE(page.add_query("emp", "SELECT ID FROM EMP", face));  // an available table has the name too
    EXPECT_NE(face.shown.back().find("taken by the table \"EMP\""), std::string::npos);
    EXPECT_TRUE(page.add_query("Top", "SELECT NAME FROM EMP", face));
    EXPECT_TRUE(page.add_query("Low", "SELECT ID FROM EMP", face));
    EXPECT_EQ(page.selected(), (strings{"DEPT", "Low", "Top"}));
    EXPECT_EQ(page.available(), (strings{"bonus", "EMP"}));

    std::string name, text;
    page.set_current(table_selection_model::list_id::selected, 0);
    EXPECT_FALSE(page.current_query(name, text));  // a table has nothing to edit
    page.set_current(table_selection_model::list_id::selected, 2);
    ASSERT_TRUE(page.current_query(name, text));
    EXPECT_EQ(text, "SELECT NAME FROM EMP");
    EXPECT_FALSE(page.replace_current_query("LOW", "SELECT 2 FROM DUAL", face));
    EXPECT_NE(face.shown.back().find("taken by the query \"Low\""), std::string::npos);
    EXPECT_TRUE(page.replace_current_query("TOP", "SELECT 2 FROM DUAL", face));  // its own name in another case
    EXPECT_EQ(page.selected(), (strings{"DEPT", "Low", "TOP"}));
    EXPECT_EQ(page.selected_queries(),
              (std::map<std::string, std::string>{{"Low", "SELECT ID FROM EMP"}, {"TOP", "SELECT 2 FROM DUAL"}}));

    ASSERT_TRUE(page.add_query("Later", "SELECT 3 FROM DUAL", face));
    page.set_current(table_selection_model::list_id::selected, 1);
    page.remove();  // a removed query becomes an available one
    EXPECT_EQ(page.available(), (strings{"bonus", "EMP", "Later"}));
    ASSERT_TRUE(page.on_next(face));
    EXPECT_EQ(session.work().tables, strings{"DEPT"});
    EXPECT_EQ(session.work().selected, (std::map<std::string, std::string>{{"Low", "SELECT ID FROM EMP"},
                                                                          {"TOP", "SELECT 2 FROM DUAL"}}));
    EXPECT_EQ(session.work().available_queries, (std::map<std::string, std::string>{{"Later", "SELECT 3 FROM DUAL"}}));
}

TEST_F(page_models, query_dialog_wants_a_name_and_a_select) {
    std::string query = " \t\r\nselectX * FROM EMP ";
    EXPECT_TRUE(accept_query_dialog("Q", query, face));  // only six characters are compared
    EXPECT_EQ(query, "selectX * FROM EMP ");
    for (std::string refused : {"WITH a AS (SELECT 1 FROM DUAL) SELECT * FROM a", "   ", "SELEC"}) {
        EXPECT_FALSE(accept_query_dialog("Q", refused, face));
        EXPECT_EQ(face.shown.back(), "error: The query must start with SELECT.");
    }
    std::string empty;
    EXPECT_FALSE(accept_query_dialog("Q", empty, face));
    EXPECT_EQ(face.shown.back(), "error: Query is empty!");
    EXPECT_FALSE(accept_query_dialog("", query, face));
    EXPECT_EQ(face.shown.back(), "message: Table name is empty!");

    connect_to("WIZDB");
    test_query_text("SELECT NAME FROM EMP", session, face);
    EXPECT_EQ(face.shown.back(), "message: The query is correct.");
    for (const char* wrong : {"SELECT NAME FROM NOWHERE", "SELECT FROM"}) {  // told, never thrown
        test_query_text(wrong, session, face);
        EXPECT_EQ(face.shown.back(), "error: " + query_syntax_error_text());
    }
    test_query_text("DELETE FROM EMP", session, face);
    EXPECT_EQ(face.shown.back(), "error: The query must start with SELECT.");
}

TEST_F(page_models, progress_shows_the_phase_running_its_figures_and_how_many_errors_the_finish_page_could_not_list) {
    run_progress progress;
    const auto percent = [&](int tables, int index, std::int64_t total, std::int64_t current) {
        progress.start(tables);
        for (int done = 0; done < index; ++done) progress.finish_item();
        progress.start_item("EMP");
        progress.set_estimated_rows(total);
        progress.count_rows(current);
        return progress.percent_done();
    };
    EXPECT_EQ(percent(0, 0, 1000, 500), 0);  // queries only: no table count
    EXPECT_EQ(percent(3, 1, 0, 0), 33);
    EXPECT_EQ(percent(1, 0, 6'000'000'000, 3'000'000'000), 50);  // no 32-bit wrap past 43 million rows

    progress_model page;
    EXPECT_EQ(page.on_timer(run_progress{}, run_progress::clock::now()).figures, "0:00 elapsed");  // not started yet
    percent(4, 2, 1000, 500);
    const auto at = [&](int seconds) { return progress.started_at() + std::chrono::seconds(seconds); };
    progress_view view = page.on_timer(progress, at(1));
    EXPECT_EQ(view.bar, 62);
    EXPECT_EQ(view.status, "Processing table 'EMP'");
    EXPECT_EQ(view.figures, "500 of about 1,000 rows, 0:01 elapsed");  // too early for a guess
    // half of EMP in 50 s: 50 s more for it, and the item after it goes as fast as the two
    // before it went (no time at all here)
    EXPECT_EQ(page.on_timer(progress, at(50)).figures, "500 of about 1,000 rows, 0:50 elapsed, about 0:50 left");

    // The last table outgrew its estimate: the bar is full, but the table is still read.
    percent(1, 0, 1000, 250'000);
    view = page.on_timer(progress, at(3725));
    EXPECT_EQ(view.status, "Processing table 'EMP'");
    EXPECT_EQ(view.bar, 99);
    EXPECT_EQ(view.figures, "250,000 of about 1,000 rows, 1:02:05 elapsed");
    progress.finish_item();
    progress.start_completing();  // the run writes its workbooks out: now it is formatting
    for (int tick = 0; tick < 11; ++tick) view = page.on_timer(progress, at(3726));
    EXPECT_EQ(view.bar, 50);
    EXPECT_EQ(view.status, "Applying format settings");
    EXPECT_EQ(view.figures, "1:02:06 elapsed");
    progress.finish();
    EXPECT_TRUE(page.on_timer(progress, at(3727)).finished);

    strings errors;
    for (int i = 1; i <= 20; ++i) errors.push_back("EMP, record #" + std::to_string(i) + ":\nbad value");
    const std::string listed = finish_error_list_text(errors);
    EXPECT_EQ(listed.rfind("EMP, record #1: bad value\n\nEMP, record #2: bad value\n\n", 0), 0u);
    EXPECT_NE(listed.find("record #20: bad value\n\n"), std::string::npos);
    EXPECT_EQ(finish_result_text(25, ""),
              "There were some errors while converting databases.\nClick 'Finish' to exit the wizard.\n\n"
              "25 errors during the run; the first 20 are listed below.");
    EXPECT_EQ(finish_result_text(20, "").find("listed below"), std::string::npos);
}
