#include "DialogTemplate.h"
#include "ExpectedPages.h"
#include "ResourceData.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

DialogTemplate LoadTemplate(int id)
{
    const ResourceData data = FindOwnResource(RT_DIALOG, MAKEINTRESOURCEA(id));
    if (!data)
        throw std::runtime_error("no dialog template " + std::to_string(id));
    return ParseDialogTemplateEx(data.bytes, data.size);
}

bool SameClass(const std::string& actual, const char* expected)
{
    // Window classes are looked up without regard to case, and the resource
    // compiler stores custom class names in capitals.
    return _stricmp(actual.c_str(), expected) == 0;
}

// Both pages are property pages of the same size and font.
void ExpectPageHeader(const ExpectedPage& page)
{
    const DialogTemplate dialog = LoadTemplate(page.templateId);
    EXPECT_EQ(dialog.title, page.caption);
    EXPECT_EQ(dialog.rect.cx, 373);
    EXPECT_EQ(dialog.rect.cy, 212);
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.className, "");

    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.typeface, "MS Shell Dlg");
    EXPECT_EQ(dialog.italic, 0);

    EXPECT_EQ(dialog.style & DS_SHELLFONT, DWORD{DS_SHELLFONT});
    EXPECT_EQ(dialog.style & (WS_CHILD | WS_CAPTION | WS_SYSMENU | DS_CONTROL),
              DWORD{WS_CHILD | WS_CAPTION | WS_SYSMENU | DS_CONTROL});
    // Pages are shown and enabled by the sheet, never by their template.
    EXPECT_EQ(dialog.style & (WS_POPUP | WS_VISIBLE | WS_DISABLED | DS_MODALFRAME), 0u);
}

void ExpectControls(const ExpectedPage& page)
{
    const DialogTemplate dialog = LoadTemplate(page.templateId);
    ASSERT_EQ(dialog.items.size(), page.controls.size());
    for (std::size_t i = 0; i < page.controls.size(); ++i) {
        const ExpectedControl& expected = page.controls[i];
        const DialogItem& item = dialog.items[i];
        SCOPED_TRACE("item " + std::to_string(i) + ", " + Describe(expected));
        EXPECT_EQ(static_cast<int>(item.id), expected.id);
        EXPECT_PRED2(SameClass, item.className, ClassOf(expected.kind));
        EXPECT_EQ(item.text, expected.text);
        EXPECT_EQ(item.style & ~DWORD{WS_GROUP}, StyleOf(expected));
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.rect.x, expected.x);
        EXPECT_EQ(item.rect.y, expected.y);
        EXPECT_EQ(item.rect.cx, expected.cx);
        EXPECT_EQ(item.rect.cy, expected.cy);
    }
}

} // namespace

TEST(DialogTemplate, MetricsPageHeader)
{
    ExpectPageHeader(MetricsPage());
}

TEST(DialogTemplate, MetricsPageControlsInTemplateOrder)
{
    ExpectControls(MetricsPage());
}

TEST(DialogTemplate, StartupPageHeader)
{
    ExpectPageHeader(StartupPage());
}

TEST(DialogTemplate, StartupPageControlsInTemplateOrder)
{
    ExpectControls(StartupPage());
}
