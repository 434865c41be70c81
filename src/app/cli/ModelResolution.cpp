#include "ModelResolution.h"

#include "settings/SettingsStore.h"

namespace parlowind::cli {

WhisperModel downloadableModel(const WhisperModel &model)
{
    const QString mirror = qEnvironmentVariable("PARLOWIND_MODELS_URL");
    if (mirror.isEmpty())
        return model;
    WhisperModel mirrored = model;
    QString base = mirror;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    mirrored.downloadURL = QUrl(base + model.filename);
    return mirrored;
}

WhisperModel preferredModel(const ModelStore &store)
{
    const QString activeID = SettingsStore().activeModelID();
    for (const WhisperModel &model : WhisperModel::transcriptionModels())
        if (model.id == activeID && store.isDownloaded(model))
            return model;
    for (const WhisperModel &model : store.installedModels())
        if (model.id != WhisperModel::sileroVAD.id)
            return model;
    return WhisperModel::largeV3Turbo;
}

} // namespace parlowind::cli
