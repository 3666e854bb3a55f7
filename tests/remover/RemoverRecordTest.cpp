// The remover against the install record, and an exit while its worker runs (the wait
// for it is proven by the engine's rollback-order test).
#include "engine/ProfileTest.h"
#include "remover/Remover.h"

namespace {

class RemoverTest : public ProfileTest {
protected:
    // Enough entries that removing them takes the worker a noticeable while.
    static bool MakeBigTree(const std::string& root)
    {
        bool ok = MakeTree(root, {});
        for (int d = 0; d < 20; ++d) {
            std::string folder = root + "\\d" + std::to_string(d);
            ok = ok && MakeTree(folder, {});
            for (int f = 0; f < 30; ++f)
                ok = ok && TestZip::Save(folder + "\\f" + std::to_string(f) + ".dat", "x");
        }
        return ok;
    }
};

} // namespace

// A value beyond seventy-nine characters reads empty; a group or desktop name that climbs
// out of its folder would name an unrelated one. Neither is queued.
TEST_F(RemoverTest, OverlongOrClimbingRecordValuesAreNotQueued)
{
    std::string fits = "C:\\" + std::string(76, 'p');
    CreateRecord({{"InstallPath", fits}});
    EXPECT_EQ(fits, Remover::GetRecordValue("InstallPath"));
    CreateRecord(
        {{"InstallPath", fits + "q"}, {"ProgramGroup", "..\\..\\Start Menu"}, {"DesktopName", "C:\\Documents\\x"}});
    EXPECT_EQ("", Remover::GetRecordValue("InstallPath"));
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    EXPECT_TRUE(Remover::Instance()->Files().empty());
}

// Past the bound the instance is handed to the worker: it is forgotten at once, and the
// worker still completes the removal and frees it.
TEST_F(RemoverTest, DestroyPastTheBoundLeavesTheRemovalToTheWorker)
{
    std::string tree = scratch.file("big");
    ASSERT_TRUE(MakeBigTree(tree));
    Remover::Instance()->AddDirectory(tree);
    ASSERT_TRUE(Remover::Instance()->Start());
    Remover::DestroyInstance(0);
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    for (int i = 0; i < 300 && Exists(tree); ++i)
        ::Sleep(100);
    EXPECT_FALSE(Exists(tree));
}
