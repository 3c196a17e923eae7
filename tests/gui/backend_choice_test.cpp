// The simulated back-end as the program starts it: its phone book is a file the
// user edits in any editor, and what is saved there reaches the entry list.
#include "app/backend_choice.h"

#include <gtest/gtest.h>

#include <QTest>

#include "base/atomic_file.h"
#include "support/fake_clock.h"
#include "support/temp_folder.h"

namespace vornik::gui {
namespace {

TEST(SimulatedBackend, WhatIsSavedInThePhoneBookReachesTheEntryList) {
    testing::TempFolder folder;
    testing::FakeClock clock({2006, 5, 10, 9, 0, 0});
    ChosenDialer chosen = ChooseDialer("sim", {folder.Path()}, clock, {});
    ASSERT_TRUE(chosen.dialer);
    Dialer& dialer = *chosen.dialer;
    ASSERT_EQ(dialer.EntryCount(), 2);  // the sample entries
    int changes = 0;
    dialer.SetEvents(this, {.phoneBookChanged = [&changes] { ++changes; }});
    const auto book = folder / "simulated-phonebook.txt";

    // Saved in place.
    testing::WriteFile(book, "[新连接]\nuser=neu\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > 0 && dialer.EntryCount() == 1; }));
    EXPECT_EQ(dialer.EntryNameAt(0), "新连接");

    // Saved the way many editors save: a new file takes the old one's name. The
    // watch follows the name, so the next save is seen too.
    for (const auto& [text, entries] : {std::pair{"[甲]\n[乙]\n", 2}, {"[甲]\n[乙]\n[丙]\n", 3}}) {
        ASSERT_TRUE(WriteFileAtomically(book, text).Ok());
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialer.EntryCount() == entries; })) << text;
    }
    dialer.ClearEvents(this);
}

}  // namespace
}  // namespace vornik::gui
