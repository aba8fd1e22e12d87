// Option persistence: reading the option block and writing the switch templates.
#include "run/persist.h"

#include <optional>
#include <vector>

#include "include/tagsqueeze.h"
#include "run/options.h"
#include "platform/keystore.h"
#include "platform/profile.h"

namespace tsqz {
namespace {

bool NamesKey(const std::string& source) { return source.find("HKEY_") != std::string::npos; }

// The switch templates as rows of (name, values), built from the option table.
constexpr size_t kTemplatedCount = [] {
    size_t count = 0;
    for (const OptionInfo& info : kOptionTable) count += info.templates.present;
    return count;
}();
constexpr std::array<TemplateRow, kTemplatedCount> kSwitchTemplates = [] {
    std::array<TemplateRow, kTemplatedCount> rows{};
    size_t i = 0;
    for (const OptionInfo& info : kOptionTable) {
        if (info.templates.present) rows[i++] = {info.name, info.templates.values};
    }
    return rows;
}();

// A stored number into its member. Each store has its own rule for when a switch is on, so
// the caller says; the level and the width outside their ranges are taken as their setters
// take them (see persist.h).
void StoreMember(OptionBlock& options, const OptionInfo& info, int64_t stored, bool on) {
    switch (info.kind) {
        case OptionKind::Switch:
            options.*info.byte_member = on ? 1 : 0;
            break;
        case OptionKind::Level:
            options.*info.byte_member =
                stored >= 0 && stored <= 255 ? static_cast<uint8_t>(stored) : 0;
            break;
        case OptionKind::Width:
            options.WordWrap = NormalizeWordWrap(stored);
            break;
    }
}

uint8_t ReadFromProfile(Engine& engine, const std::string& path, int32_t& status) {
    platform::ProfileFile file;
    if (file.Load(path) != platform::ReadResult::kOk) {
        status = 1;
        return 0;
    }
    for (const OptionInfo& info : OptionTable()) {
        const int32_t missing = DefaultValue(info.kind);
        const int32_t stored = file.ReadInt(info.section, info.name, missing);
        StoreMember(engine.options, info, stored, stored >= 1);
    }
    return 1;
}

uint8_t ReadFromKeyStore(Engine& engine, const std::string& path, int32_t& status) {
    const std::optional<platform::StoreKey> key = platform::KeyStore::Default().OpenKey(path);
    if (!key) {
        status = engine.error_code = TSQZ_ERR_REGISTRY;
        return 0;
    }
    for (const OptionInfo& info : OptionTable()) {
        // A value that is missing or unreadable counts as missing, also for the members that
        // a reset keeps: off, 0 or 254.
        const std::optional<uint32_t> stored = key->ReadValue(info.name);
        const int64_t value = stored ? *stored : DefaultValue(info.kind);
        StoreMember(engine.options, info, value, value != 0);
    }
    return 1;
}

uint8_t WriteToProfile(const std::string& path, size_t index, bool tags_only) {
    platform::ProfileFile file;
    if (file.Load(path) == platform::ReadResult::kUnreadable) return 0;
    for (const OptionInfo& info : OptionTable()) {
        if (!info.templates.present || (tags_only && info.section != kTagOptions)) continue;
        file.Write(info.section, info.name, std::to_string(info.templates.values[index]));
    }
    // The result says whether the file was written: a settings file that could not be written
    // must not look as if it held the template.
    return file.Save(path) ? 1 : 0;
}

uint8_t WriteToKeyStore(Engine& engine, const std::string& path, size_t index) {
    const std::optional<platform::StoreKey> key = platform::KeyStore::Default().CreateKey(path);
    if (!key) {
        engine.error_code = TSQZ_ERR_REGISTRY;
        return 0;
    }
    // WordWrap is stored as 0, which reads back as 254, whatever the template says.
    std::vector<platform::KeyValue> values;
    for (const OptionInfo& info : OptionTable()) {
        if (!info.templates.present) continue;
        const uint16_t value = info.kind == OptionKind::Width ? 0 : info.templates.values[index];
        values.push_back({info.name, value});
    }
    // Only the first value's write decides the result; the rest are written together after it.
    if (!key->WriteValue(values.front().name, values.front().value)) return 0;
    key->WriteValues(std::span(values).subspan(1));
    return 1;
}

uint8_t DeleteFromProfile(const std::string& path) {
    platform::ProfileFile file;
    if (file.Load(path) == platform::ReadResult::kUnreadable) return 0;
    for (std::string_view section : kOptionSections)
        file.DeleteSection(section);
    return file.Save(path) ? 1 : 0;
}

uint8_t DeleteFromKeyStore(Engine& engine, const std::string& path) {
    const platform::KeyStore store = platform::KeyStore::Default();
    if (!store.CreateKey(path) || !store.DeleteKey(path)) {
        engine.error_code = TSQZ_ERR_REGISTRY;
        return 0;
    }
    return 1;
}

}  // namespace

std::span<const TemplateRow> SwitchTemplates() { return kSwitchTemplates; }

uint8_t ReadOptions(Engine& engine, const std::string& source, int32_t& status) {
    status = 0;
    engine.settings_source = source;
    ResetOptions(engine.options);
    engine.error_code = 0;
    engine.error_count = 0;
    return NamesKey(source) ? ReadFromKeyStore(engine, source, status)
                            : ReadFromProfile(engine, source, status);
}

uint8_t WriteTemplate(Engine& engine, const std::string& target, uint8_t template_number) {
    const bool key = NamesKey(target);
    if (template_number == 0) {
        return key ? DeleteFromKeyStore(engine, target) : DeleteFromProfile(target);
    }
    size_t index = 0;
    bool tags_only = false;
    if (template_number >= 1 && template_number <= 3) {
        index = template_number - 1u;
    } else if (template_number >= 17 && template_number <= 19) {
        index = template_number - 17u;
        tags_only = true;
    } else {
        return 0;
    }
    return key ? WriteToKeyStore(engine, target, index) : WriteToProfile(target, index, tags_only);
}

}  // namespace tsqz
