#pragma once

#include "CleanupStage.h"

#include <memory>
#include <vector>

namespace parlowind {

class DictionaryStore;
class ShortcutStore;

// An ordered list of cleanup stages, each fed the previous one's output.
class CleanupPipeline
{
public:
    using Stages = std::vector<std::shared_ptr<const CleanupStage>>;

    CleanupPipeline() = default;
    explicit CleanupPipeline(Stages stages)
        : m_stages(std::move(stages))
    { }

    // The seven stages every dictation goes through: whitespace,
    // self-correction, filler, dictionary, punctuation, shortcuts, whitespace.
    // Holds the two stores shared, so dictionary changes act from the next run.
    static CleanupPipeline standard(std::shared_ptr<DictionaryStore> dictionary,
                                    std::shared_ptr<ShortcutStore> shortcuts);

    const Stages &stages() const { return m_stages; }

    QString run(const QString &text, const CleanupContext &context) const
    {
        QString result = text;
        for (const auto &stage : m_stages)
            result = stage->apply(result, context);
        return result;
    }

private:
    Stages m_stages;
};

} // namespace parlowind
