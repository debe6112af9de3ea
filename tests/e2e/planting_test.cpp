// Planting: dropped files, the map window, scattering, and the growth worker
// while planting and questions happen.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

App& StartWithScatter(App& app, int count, int radius, int mode = 0) {
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.scatter_count = count;
  s.scatter_radius = radius;
  s.scatter_mode = uint8_t(mode);
  WriteSettings(s, app.folder());
  EXPECT_TRUE(app.Start());
  return app;
}

TEST(Planting, DroppedTreeWithoutACanvasShowsTheNoCanvasMessage) {
  App app("drop_no_canvas");
  ASSERT_TRUE(app.Start());
  const std::string tree = app.File("tree.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  ASSERT_TRUE(app.DropFile(tree));
  Box m;
  ASSERT_TRUE(app.WaitForBox("キャンバスを作成してちょ。", m));
  EXPECT_EQ(m.text, "まだキャンバスが作成されていません。");
  app.Press(m, IDOK);
  ASSERT_TRUE(app.Close());
}

TEST(Planting, DroppedFileOfAnotherKindIsRefused) {
  App app("drop_other");
  ASSERT_TRUE(app.Start());
  const std::string other = app.File("notes.txt");
  WriteTextFile(other, "just some text, neither a tree nor a canvas");
  ASSERT_TRUE(app.DropFile(other));
  Box m;
  ASSERT_TRUE(app.WaitForBox("エラー", m));
  EXPECT_EQ(m.text, "このファイルには対応していません。Load_KI_SYL");
  app.Press(m, IDOK);
  ASSERT_TRUE(app.Close());
}

TEST(Planting, DroppedCanvasFileIsOpenedAndBecomesTheWallpaper) {
  App app("drop_canvas");
  ASSERT_TRUE(app.Start());
  const std::string garden = app.File("other garden.syl");
  ASSERT_TRUE(WriteCanvasFile(garden, 333, 222, RGB(1, 2, 3), 4));
  ASSERT_TRUE(app.DropFile(garden));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneTimer") == 1; })) << "a canvas now exists";
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(app.File("default.bmp"), w, h, bits); }));
  EXPECT_EQ(w, 333);
  EXPECT_EQ(h, 222);
  EXPECT_TRUE(app.Boxes().empty());
  ASSERT_TRUE(app.Close());
}

TEST(Planting, DroppedTreeIsScatteredThroughTheMap) {
  App app("drop_scatter");
  StartWithScatter(app, 5, 0);
  ASSERT_TRUE(NewCanvas(app, "400", "300", "5"));
  const std::string tree = app.File("tree.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  ASSERT_TRUE(app.DropFile(tree));
  HWND map = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    map = app.FindWindowOfClass("MAP_VIEW");
    return map && IsWindowVisible(map);
  }));
  EXPECT_FALSE(IsWindowEnabled(app.main()));
  SaveScreenshot(map, "map_window");
  ASSERT_TRUE(ClickMapCentre(app));
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 5; })) << app.State("SylvaneGrowing");
  EXPECT_TRUE(IsWindowEnabled(app.main()));
  ASSERT_TRUE(app.Close());
}

TEST(Planting, AskedScatterCountOutOfRangeWarnsAndPlantsTheTreeAlone) {
  App app("drop_scatter_dialog");
  StartWithScatter(app, 3, 10, 1);
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  const int before = app.State("SylvaneGrowing");
  const std::string tree = app.File("tree.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  ASSERT_TRUE(app.DropFile(tree));
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("まとめ植え", dialog));
  SaveScreenshot(dialog.window, "dialog_scatter");
  SetField(dialog, 1030, "0");
  app.Press(dialog, IDOK);
  Box m;
  ASSERT_TRUE(app.WaitForBox("警告", m));
  EXPECT_EQ(m.text, "ばらまき数は半角で 1 ～ 100 までの数を入れてください。");
  app.Press(m, IDOK);
  ASSERT_TRUE(ClickMapCentre(app));
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == before + 1; }));
  ASSERT_TRUE(app.Close());
}

TEST(Worker, MutantQuestionOfTheWorkerIsAskedByTheInterfaceWhichStaysResponsive) {
  App app("worker_question");
  StartWithScatter(app, 1, 0);
  ASSERT_TRUE(NewCanvas(app, "300", "200", "1"));
  // Finishes in the first pass, splits, and its child is always a mutant.
  const std::string tree = app.File("parent.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree, 1, 100, 100, 3000, 1));
  ASSERT_TRUE(app.DropFile(tree));
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 1; }));
  // The first pass starts at second 30 (posted ticks: the question blocks the handler).
  for (int i = 0; i < 30 && app.State("SylvaneWorkerStarts") == 0; ++i) app.Tick(1);
  ASSERT_EQ(app.State("SylvaneWorkerStarts"), 1);
  Box question;
  ASSERT_TRUE(app.WaitForBox("変異種発生", question, 30000));
  EXPECT_NE(question.text.find("の変異種が発生しました。保存しますか？"), std::string::npos) << question.text;
  EXPECT_EQ(app.State("SylvaneTimer"), 0) << "the clock stands still while the question is shown";
  EXPECT_EQ(app.State("SylvaneWorkerEnds"), 0) << "the worker waits for the answer";
  SaveScreenshot(question.window, "dialog_mutant_question");
  // A command that needs the worker stopped cannot wait here: it is refused
  // (after its save question, answered No).
  app.Post(CMD_SAMPLE_GARDEN);
  Box save_question;
  ASSERT_TRUE(app.WaitForBox("保存？", save_question));
  app.Press(save_question, IDNO);
  Box refusal;
  ASSERT_TRUE(app.WaitForBox("作業停止中", refusal));
  EXPECT_EQ(refusal.text,
            "樹の成長処理が終わらないため、この操作を中止しました。しばらくしてからもう一度実行してください。");
  app.Press(refusal, IDOK);
  // Yes: the save dialog, shown by the interface thread for the worker.
  app.Press(question, IDYES);
  Box save;
  ASSERT_TRUE(app.WaitForBox("樹を保存する", save));
  const std::string mutant = app.File("mutant.ki");
  FillFileDialog(save, mutant);
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneWorkerEnds") == 1; }, 20000));
  EXPECT_TRUE(Exists(mutant));
  EXPECT_EQ(app.State("SylvaneTimer"), 1) << "the clock runs again";
  ASSERT_TRUE(app.Close());
}

TEST(Worker, StopAndWaitLetsTheWorkersQuestionThrough) {
  App app("worker_stop_question");
  StartWithScatter(app, 1, 0);
  ASSERT_TRUE(NewCanvas(app, "300", "200", "30"));
  const std::string tree = app.File("parent.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree, 1, 100, 100, 3000, 1));
  ASSERT_TRUE(app.DropFile(tree));
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 1; }));
  // The periodic update starts the worker; the sample garden right behind it
  // has to stop and wait for it while the worker asks its question.
  app.Post(CMD_PERIODIC_UPDATE);
  app.Post(CMD_SAMPLE_GARDEN);
  Box save_question;
  ASSERT_TRUE(app.WaitForBox("保存？", save_question, 30000));
  app.Press(save_question, IDNO);
  Box question;
  ASSERT_TRUE(app.WaitForBox("変異種発生", question, 30000));
  SaveScreenshot(app.Element("TIMER"), "timer_panel_stopping");
  Box refusal;
  bool nested = app.WaitForBox("作業停止中", refusal, 1500);
  if (nested) app.Press(refusal, IDOK);  // the question came first: the command was refused
  app.Press(question, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneWorkerEnds") == 1; }, 20000)) << "no deadlock";
  ASSERT_TRUE(app.WaitNoBox());
  if (!nested) {
    // The wait let the question through and went on once the pass had ended.
    ASSERT_TRUE(WaitUntil([&] { return Exists(app.File("default.bmp")); }));
    int w = 0, h = 0, bits = 0;
    ASSERT_TRUE(WaitUntil([&] { return BmpInfo(app.File("default.bmp"), w, h, bits) && w == 600; }))
        << "the sample garden was made after the wait";
  }
  std::printf("[ INFO     ] the question came %s the stop-and-wait\n", nested ? "before" : "during");
  EXPECT_TRUE(app.Send(CMD_MAKE_WALLPAPER, 5000)) << "the interface answers";
  ASSERT_TRUE(app.Close());
}

TEST(Worker, RebuildingTheGardenWaitsForARunningPass) {
  App app("worker_stop_wait");
  StartWithScatter(app, 100, 200);
  ASSERT_TRUE(NewCanvas(app, "640", "480", "1"));
  const std::string tree = app.File("busy.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree, 0, 0, 0, 10000, 1));
  ASSERT_TRUE(app.DropFile(tree));
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 100; }));
  for (int i = 0; i < 30 && app.State("SylvaneWorkerStarts") == 0; ++i) app.Tick(1);
  ASSERT_EQ(app.State("SylvaneWorkerStarts"), 1);
  // Rebuilding the garden stops the pass and waits for it before the table changes.
  app.Post(CMD_SAMPLE_GARDEN);
  Box save_question;
  ASSERT_TRUE(app.WaitForBox("保存？", save_question, 30000));
  app.Press(save_question, IDNO);
  ASSERT_TRUE(app.WaitNoBox(60000));
  // The sample garden (600 wide) is made once the pass has stopped.
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(app.File("default.bmp"), w, h, bits) && w == 600; }, 60000));
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneWorkerEnds") == 1; }, 10000))
      << "the pass had ended when the sample garden was made";
  EXPECT_EQ(app.State("SylvaneWorkerStarts"), 1) << "no pass ran into the new garden";
  SaveScreenshot(app.Element("TIMER"), "timer_panel_after_stop");
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
