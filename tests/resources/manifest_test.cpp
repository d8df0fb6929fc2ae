#include <gtest/gtest.h>
#include <windows.h>
#include <string>

namespace {

// The manifest as stored in this executable, which links the program's resource scripts; empty
// when there is none.
std::string ManifestText()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    if (found == nullptr)
        return "";
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes == nullptr ? "" : std::string(bytes, SizeofResource(module, found));
}

bool Holds(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

}

TEST(ManifestResource, DeclaresTheInvokersRightsAndPerMonitorDpiAwarenessWithoutVisualStyles)
{
    const std::string manifest = ManifestText();
    ASSERT_FALSE(manifest.empty()) << "no manifest resource";
    EXPECT_TRUE(Holds(manifest, "<requestedExecutionLevel level=\"asInvoker\"")) << manifest;
    EXPECT_FALSE(Holds(manifest, "Microsoft.Windows.Common-Controls")) << "visual styles";
    // The newer element for Windows 10 and later, the older one for Windows 8.1.
    EXPECT_TRUE(Holds(manifest, ">PerMonitorV2, PerMonitor</dpiAwareness>")) << manifest;
    EXPECT_TRUE(Holds(manifest, ">true/pm</dpiAware>")) << manifest;
}

// Windows refuses to start a program whose manifest it cannot read, so the manifest must make an
// activation context.
TEST(ManifestResource, MakesAnActivationContext)
{
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    context.hModule = GetModuleHandleA(nullptr);
    context.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    context.lpSource = path;
    HANDLE made = CreateActCtxA(&context);
    EXPECT_NE(made, INVALID_HANDLE_VALUE) << GetLastError();
    if (made != INVALID_HANDLE_VALUE)
        ReleaseActCtx(made);
}
