#include "shell/archive_opening.h"

#include "console/console.h"
#include "demo_archive.h"
#include "model/model.h"

std::unique_ptr<Model> loadArchiveModel(const char* path, LoadedModel& loaded) {
    auto model = std::make_unique<Model>();
    if (path) {
        loaded = loadModelFile(*model, path);
        return model;
    }
    consolePrintf("No archive given: showing the built-in demo model\n");
    loaded = loadModelFromBytes(*model, demoArchiveData(), demoArchiveSize());
    loaded.demo = true;
    return model;
}
