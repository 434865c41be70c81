#include "BundledSoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include <algorithm>

namespace parlowind {

namespace {

// QSoundEffect loads in the background and only reports a bad file later;
// checking the header up front keeps "no player" a decision made at start.
bool isReadableWav(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}

QUrl urlOf(const QString &path)
{
    return path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path);
}

float clampedVolume(float v)
{
    return v > 0 ? std::min(v, 1.0f) : 0.0f;
}

} // namespace

BundledSoundPlayer::BundledSoundPlayer(Volume volume)
    : m_volume(std::move(volume))
{ }

BundledSoundPlayer::~BundledSoundPlayer() = default;

QString BundledSoundPlayer::bundledSoundsDirectory()
{
    return QStringLiteral(":/sounds");
}

std::unique_ptr<BundledSoundPlayer> BundledSoundPlayer::create(const QString &soundsDirectory, Volume volume)
{
    if (soundsDirectory.isEmpty() || !volume)
        return nullptr;
    std::unique_ptr<BundledSoundPlayer> player(new BundledSoundPlayer(std::move(volume)));
    const QDir dir(soundsDirectory);
    for (DictationCue cue : allDictationCues) {
        const QString path = dir.filePath(rawValue(cue) + QStringLiteral(".wav"));
        if (!isReadableWav(path))
            return nullptr;
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(urlOf(path));
        effect->setVolume(clampedVolume(player->m_volume()));
        player->m_players.emplace(cue, std::move(effect));
    }
    return player;
}

void BundledSoundPlayer::play(DictationCue cue)
{
    const auto found = m_players.find(cue);
    if (found == m_players.end())
        return;
    QSoundEffect &effect = *found->second;
    effect.setVolume(clampedVolume(m_volume()));
    if (effect.isPlaying())
        effect.stop();
    effect.play();
}

QString BundledSoundPlayer::fileOf(DictationCue cue) const
{
    const auto found = m_players.find(cue);
    return found == m_players.end() ? QString() : found->second->source().toString();
}

float BundledSoundPlayer::lastAppliedVolume(DictationCue cue) const
{
    const auto found = m_players.find(cue);
    return found == m_players.end() ? 0.0f : found->second->volume();
}

} // namespace parlowind
