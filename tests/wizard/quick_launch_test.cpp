// Quick launch's preparation: a usable profile ends connected with the destination cleared;
// every refusal is told to the user and leaves the destination alone.
#include "wizard/quick_launch.h"

#include <gtest/gtest.h>

#include "wizard_fixture.h"

namespace {

class quick_launch : public wizard_fixture, public ::testing::Test {
protected:
    std::string profile(const std::string& dest) {
        const std::string path = folder.file("job.spr");
        write_file(path, "[Generic settings]\ndest=" + dest + "\nsrc=WIZDB\n\n[MS Excel settings]\nformat version=2\n\n"
                         "[Oracle settings]\nuser=SCOTT\npassword=tiger\nport=1521\n\n"
                         "[Selected Tables]\nEMP\nQ1=SELECT NAME FROM EMP\n");
        return path;
    }
};

}  // namespace

TEST_F(quick_launch, a_usable_profile_ends_connected_with_the_old_workbook_kept_for_the_run_to_replace) {
    const std::string dest = folder.file("out.xlsx");
    write_file(dest, "old workbook");
    ASSERT_EQ(prepare_quick_launch(session, profile(dest), face, *handler), quick_launch_status::ready);
    EXPECT_TRUE(face.shown.empty());
    EXPECT_TRUE(session.is_connected());
    EXPECT_EQ(session.work().tables, std::vector<std::string>{"EMP"});
    EXPECT_EQ(read_file(dest), "old workbook");
}

TEST_F(quick_launch, refusals_are_told_and_leave_the_destination) {
    const std::string dest = folder.file("out.xlsx");
    write_file(dest, "old workbook");

    // a missing profile and a refused login: wizard_window_test sees their boxes and exit codes
    // the wizard connects under its animation and reports the failure itself
    int connects = 0;
    quick_launch_steps steps;
    steps.connect = [&] { return ++connects, false; };
    EXPECT_EQ(prepare_quick_launch(session, profile(dest), face, *handler, steps), quick_launch_status::connection_failed);
    EXPECT_EQ(connects, 1);

    steps.connect = {};
    steps.stop_requested = [] { return true; };
    EXPECT_EQ(prepare_quick_launch(session, profile(dest), face, *handler, steps), quick_launch_status::interrupted);
    EXPECT_EQ(face.shown.back(), "message: Stopped before the conversion began; nothing was changed.");
    EXPECT_EQ(read_file(dest), "old workbook");
}
