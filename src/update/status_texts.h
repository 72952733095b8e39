// What the status line says during an update.
#pragma once

inline constexpr const wchar_t* kUpdatingText = L"正在更新，请稍后......";
// While the files of a player's "--verify" run are read and hashed.
inline constexpr const wchar_t* kVerifyingText = L"正在校验客户端文件，请稍后......";
inline constexpr const wchar_t* kCurrentText = L" ";
inline constexpr const wchar_t* kCompletedText = L"更新已完成，现在可以尽情享受游戏的乐趣了！";

inline constexpr const wchar_t* kCheckFailedText = L"检查更新失败，请检查网络后重新启动登录器。";
inline constexpr const wchar_t* kManifestInvalidText = L"更新信息有误，请稍后重新启动登录器。";
inline constexpr const wchar_t* kManifestUnverifiedText =
    L"更新信息校验失败，请稍后重新启动登录器。";
// A clock set years ahead is the usual innocent cause of an expired manifest.
inline constexpr const wchar_t* kManifestExpiredText =
    L"更新信息已过期，请检查电脑时钟后重启登录器。";
inline constexpr const wchar_t* kDownloadFailedText =
    L"客户端下载失败，请检查网络后重新启动登录器。";
inline constexpr const wchar_t* kDiskFullText = L"磁盘空间不足，请清理磁盘后重新启动登录器。";
inline constexpr const wchar_t* kInstallFailedText = L"客户端安装失败，请重新启动登录器再试一次。";
