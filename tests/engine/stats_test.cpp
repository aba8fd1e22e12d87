// Statistics: the two resets, document and job sizes, and the figures hosts read.
#include "run/stats.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "include/tagsqueeze.h"
#include "run/pipeline.h"
#include "run/report.h"

namespace tsqz {
namespace {

void Fill(Stats& s, int32_t value) {
    s.file.fill(value);
    s.job.fill(value);
    s.files_processed = s.file_before = s.file_after = s.job_before = s.job_after = value;
    s.job_total = s.file_total = value;
}

TEST(Statistics, EachResetClearsWhatItsScopeOwns) {
    Engine engine;
    Fill(engine.stats, 7);
    engine.error_count = 3;
    ResetFileStatistics(engine);
    EXPECT_TRUE(engine.stats.on);
    EXPECT_EQ(engine.stats.file[kSlotEMToI], 0);
    EXPECT_EQ(engine.stats.file_total, 0);
    EXPECT_EQ(engine.stats.job[kSlotEMToI], 7);
    EXPECT_EQ(engine.stats.job_before, 7);
    EXPECT_EQ(engine.error_count, 3);

    Fill(engine.stats, 7);
    engine.stats.on = false;
    ResetJobStatistics(engine);
    EXPECT_TRUE(engine.stats.on);
    EXPECT_EQ(engine.stats.job[kSlotScriptLines], 0);
    EXPECT_EQ(engine.stats.job_total, 0);
    EXPECT_EQ(engine.stats.files_processed, 0);
    EXPECT_EQ(engine.error_count, 0);
    // The job sizes go too, so a second job does not report the first one's sizes.
    EXPECT_EQ(engine.stats.job_before, 0);
    EXPECT_EQ(engine.stats.job_after, 0);
    EXPECT_EQ(engine.stats.file[kSlotEMToI], 7);  // the last document's figures stay
}

TEST(Statistics, ADocumentCountsInTheJobSizesOnlyWhenItIsDone) {
    Engine engine;
    ResetJobStatistics(engine);
    RunOutcome outcome;
    const std::string good = "<html><p>kept</p></html>";
    ASSERT_EQ(RunPipeline(engine, good, "good", "", outcome), 0);
    EXPECT_EQ(engine.stats.job_before, static_cast<int32_t>(good.size()));
    EXPECT_EQ(engine.stats.job_after, static_cast<int32_t>(good.size()));

    // Runs that end after loading count in neither job size, and the last document's
    // figures show no savings instead of mixing two documents.
    engine.stats.file_after = 1;
    for (const std::string& doc :
         {std::string("<HTML no end"), std::string("<html><pre>x</html>")}) {
        SCOPED_TRACE(doc);
        EXPECT_NE(RunPipeline(engine, doc, "bad", "", outcome), 0);
        EXPECT_EQ(engine.stats.job_before, static_cast<int32_t>(good.size()));
        EXPECT_EQ(engine.stats.job_after, static_cast<int32_t>(good.size()));
        EXPECT_EQ(BaseStats(engine, true, false), 0);
    }
}

TEST(Statistics, ADocumentsCountersGoIntoTheJob) {
    Engine engine;
    ResetJobStatistics(engine);
    for (int batch = 0; batch < 2; ++batch) {
        engine.mode.batch = static_cast<uint8_t>(batch);
        ResetFileStatistics(engine);
        NoteSizeBefore(engine, 100);
        engine.stats.file[kSlotEMToI] = 5;
        engine.stats.file[kSlotOptimizeLines] = -2;
        NoteSizeAfter(engine, 97);
        EXPECT_EQ(engine.stats.file_total, 3);
    }
    EXPECT_EQ(engine.stats.job[kSlotEMToI], 10);
    EXPECT_EQ(engine.stats.job[kSlotOptimizeLines], -4);
    EXPECT_EQ(engine.stats.job_total, 3);  // only the document in batch mode
    EXPECT_EQ(engine.stats.job_before, 200);
    EXPECT_EQ(engine.stats.job_after, 194);

    // With statistics off only the sizes are noted.
    Engine off;
    NoteSizeBefore(off, 10);
    off.stats.file[kSlotEMToI] = 5;
    NoteSizeAfter(off, 8);
    EXPECT_EQ(off.stats.job[kSlotEMToI], 0);
    EXPECT_EQ(off.stats.job_after, 8);
}

TEST(Statistics, BaseStatsScopesAndWholePercentages) {
    struct Row {
        int32_t before, after;
        int32_t bytes, percent;
    };
    const Row rows[] = {
        {1000, 800, 200, 20}, {3, 2, 1, 33},
        {3, 1, 2, 66},  // truncated, not rounded
        {100, 150, -50, -50}, {0, 0, 0, 0},
        {0, 10, -10, 0},      {2000000000, 1, 1999999999, 99},  // no overflow on the way
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.before);
        Engine engine;
        // Nonzero scope is the last document, zero the job.
        engine.stats.file_before = row.before;
        engine.stats.file_after = row.after;
        EXPECT_EQ(BaseStats(engine, true, false), row.bytes);
        EXPECT_EQ(BaseStats(engine, true, true), row.percent);
        EXPECT_EQ(BaseStats(engine, false, false), 0);
        engine.stats.job_before = row.before;
        engine.stats.job_after = row.after;
        EXPECT_EQ(BaseStats(engine, false, false), row.bytes);
        EXPECT_EQ(BaseStats(engine, false, true), row.percent);
    }
}

TEST(Statistics, SavingsTextSelectsByIndexAndScope) {
    std::setlocale(LC_ALL, "C");
    Engine engine;
    EXPECT_STREQ(SavingsText(engine, 0, true, true), "0.00");  // before any document
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        engine.stats.file[static_cast<size_t>(slot)] = slot;
        engine.stats.job[static_cast<size_t>(slot)] = -100 * slot;
    }
    engine.stats.file_total = 465;
    engine.stats.job_total = 12;
    // Zero scope is the last document, nonzero the job.
    EXPECT_STREQ(SavingsText(engine, 0, false, false), "465");
    EXPECT_STREQ(SavingsText(engine, 0, true, false), "12");
    EXPECT_STREQ(SavingsText(engine, 1, false, false), "20");   // <STRONG> to <B>
    EXPECT_STREQ(SavingsText(engine, 2, true, false), "-100");  // <EM> to <I>
    EXPECT_STREQ(SavingsText(engine, 8, false, false), "24");   // <KBD> to <TT>
    EXPECT_STREQ(SavingsText(engine, 20, false, false), "25");  // empty lines
    EXPECT_STREQ(SavingsText(engine, 25, false, false), "21");  // ASP/Java/VBScript
    EXPECT_STREQ(SavingsText(engine, 27, false, false), "30");  // script lines
    EXPECT_STREQ(SavingsText(engine, 28, false, false), "28");  // script comments
    EXPECT_STREQ(SavingsText(engine, 29, false, false), "0");
    EXPECT_STREQ(SavingsText(engine, 255, true, false), "0");

    // With percent, index and scope do not matter: the job's reduction.
    engine.stats.job_before = 3000;
    engine.stats.job_after = 2000;
    EXPECT_STREQ(SavingsText(engine, 7, false, true), "33.33");
    engine.stats.job_after = 3030;
    EXPECT_STREQ(SavingsText(engine, 0, true, true), "-1.00");
}

}  // namespace
}  // namespace tsqz
