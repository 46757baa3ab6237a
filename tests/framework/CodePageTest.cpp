// The ground the rest stands on: the process runs in code page 1250 and Czech literals
// compile to their cp1250 bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/MessageBoxRecorder.h"

TEST(CodePage, CzechLiteralIsCp1250Bytes)
{
    const std::string text = "Příliš žluťoučký kůň";
    const std::string expected = "P\xF8\xED\x6C\x69\x9A \x9E\x6C\x75\x9D\x6F\x75\xE8\x6B\xFD k\xF9\xF2";
    EXPECT_EQ(expected, text);
}

TEST(MessageBox, RecorderSeesTextAndFlagsAndAnswers)
{
    MessageBoxRecorder boxes;
    boxes.Answer(IDNO);
    EXPECT_EQ(IDNO, ShowMessageBox("Tisknout?", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDOK, ShowMessageBox("Hotovo"));
    ASSERT_EQ(2u, boxes.Shown().size());
    EXPECT_EQ("Tisknout?", boxes.Shown()[0].text);
    EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), boxes.Shown()[0].flags);
    EXPECT_EQ(UINT(MB_OK), boxes.Shown()[1].flags);
}

// LoadStringA converts the resource's UTF-16 through the process's ANSI code page, so this
// also fails when the process does not run in 1250.
TEST(CodePage, CzechResourceStringArrivesAsCp1250)
{
    char text[260] = {};
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), 102, text, sizeof text), 0);
    EXPECT_EQ(std::string("Na tomto po\xE8\xEDta\xE8i pravd\xECpodobn\xEC nejsou nainstalov\xE1ny MoneyS3."), text);
}
