// The font rewrite copies a dialog template before the dialog is made from
// it; a template it cannot walk must be refused, never read past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "ui/DialogTemplate.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first two bytes are the point size; the rest is the template, so
    // the seeds are the resources' templates with a size in front.
    fuzz::FuzzInput input(data, size);
    const std::uint16_t pointSize = input.Word();
    const std::size_t offset = size - input.Remaining();
    // A copy of exactly the template's bytes, so that reading past them is
    // seen by AddressSanitizer.
    const std::vector<std::uint8_t> templateBytes(data + offset, data + size);
    std::vector<std::uint8_t> out;
    const FontRewrite result = RewriteTemplateFont(templateBytes.data(), templateBytes.size(), pointSize, out);
    if (result != FontRewrite::Rewritten) return 0;
    // The copy must itself be a template the rewrite walks.
    std::vector<std::uint8_t> again;
    if (RewriteTemplateFont(out.data(), out.size(), pointSize, again) != FontRewrite::Rewritten) std::abort();
    if (again != out) std::abort();
    return 0;
}
