#include "CleanupPipeline.h"

#include "DictionaryStore.h"
#include "FillerRemover.h"
#include "PunctuationFixer.h"
#include "SelfCorrectionResolver.h"
#include "ShortcutStore.h"
#include "WhitespaceNormalizer.h"

namespace parlowind {

CleanupPipeline CleanupPipeline::standard(std::shared_ptr<DictionaryStore> dictionary,
                                          std::shared_ptr<ShortcutStore> shortcuts)
{
    // Dictionary before punctuation, so a term opening a sentence gets its
    // capital; shortcuts after it, so expansions arrive exactly as typed.
    const auto whitespace = std::make_shared<const WhitespaceNormalizer>();
    return CleanupPipeline({
        whitespace,
        std::make_shared<const SelfCorrectionResolver>(),
        std::make_shared<const FillerRemover>(),
        std::move(dictionary),
        std::make_shared<const PunctuationFixer>(),
        std::move(shortcuts),
        whitespace,
    });
}

} // namespace parlowind
