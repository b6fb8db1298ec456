// What a dying death-test child showed in message boxes, through the scripted backend.
#include "tests/render/render_setup.h"

#include <cstdio>
#include <cstdlib>

namespace {

ScriptedBackend* childBackend = nullptr;
struct ExpectedBox {
    std::string text, caption;
    UINT type;
};
ExpectedBox* expectedBox = nullptr;

void reportBoxes()
{
    const auto& boxes = childBackend->boxes;
    if (!expectedBox) {
        std::fputs(boxes.empty() ? "NO BOX\n" : "UNEXPECTED BOX\n", stderr);
        return;
    }
    if (boxes.size() == 1 && boxes[0].text == expectedBox->text && boxes[0].caption == expectedBox->caption &&
        boxes[0].type == expectedBox->type) {
        std::fputs("BOX OK\n", stderr);
        return;
    }
    for (const auto& box : boxes)
        std::fprintf(stderr, "BOX SHOWN caption [%s] type 0x%x text [%s]\n", box.caption.c_str(), box.type,
                     box.text.c_str());
    std::fprintf(stderr, "BOX MISMATCH (%zu shown)\n", boxes.size());
}

void installChildBackend(const std::vector<std::string>& missingProcs)
{
    childBackend = new ScriptedBackend;
    childBackend->missingProcs = missingProcs;
    setActiveBackend(childBackend);
    std::atexit(reportBoxes);
}

} // namespace

void expectBoxAtExit(const std::string& text, const std::string& caption, UINT type,
                     const std::vector<std::string>& missingProcs)
{
    expectedBox = new ExpectedBox{text, caption, type};
    installChildBackend(missingProcs);
}

void expectNoBoxAtExit() { installChildBackend({}); }
