#include "WhitespaceNormalizer.h"

#include "TextCharacters.h"

namespace parlowind {

QString WhitespaceNormalizer::apply(const QString &text, const CleanupContext &) const
{
    return TextCharacters::splitAtWhitespace(text).join(QLatin1Char(' '));
}

} // namespace parlowind
