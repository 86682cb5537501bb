#pragma once

#include <QString>

namespace springtest {

// The operator's texts that more than one layer shows, each written once: the console, the command line and
// the cores below them say the same thing in the same words, and a change of wording reaches all of them.
// Texts only the windows share are in windows/common/WindowTexts.h; a text one file uses stays in that file.

// The caption of an information box or question.
inline const QString kPromptCaption = QStringLiteral("提示");

// Opening, reading and deleting a batch file.
inline const QString kNoFileName = QStringLiteral("文件名不能为空!!");
inline const QString kFileMissing = QStringLiteral("文件不存在!!");
inline const QString kFileInUse = QStringLiteral("文件正在使用!!");
inline const QString kFileReadError = QStringLiteral("文件读取错误!!");
inline const QString kTestRunningCannotOpen = QStringLiteral("试验正在进行，无法打开文件!!");
// What the storing side says when the batch cannot be read or held (the storer, the batch hold, the next
// serial); its words differ from kFileReadError's, which opening a batch for browsing says.
inline const QString kReadingFileFailed = QStringLiteral("读取文件错误!!");

// A file that could not be written (settings, calibration, accounts): + the path and why.
inline const QString kCannotWrite = QStringLiteral("无法写入");

// Schemes.
inline const QString kNoSchemeName = QStringLiteral("方案名不能为空!!");
inline const QString kSchemeNameTaken = QStringLiteral("该方案名已存在!!");
inline const QString kNoSuchScheme = QStringLiteral("该方案名不存在!!");
inline const QString kSchemeSaved = QStringLiteral("方案保存成功!!");
inline const QString kSchemeNotSaved = QStringLiteral("方案保存失败!!");
inline const QString kSchemeReadFailed = QStringLiteral("读取方案失败!!");

// The load trip: it stopped a running test; it tripped with no test running; it blocks the move asked for.
inline const QString kOverloadStoppedTheTest = QStringLiteral("负荷过载，试验停止!!");
inline const QString kOverloadTripped = QStringLiteral("负荷过载!!!!");
inline const QString kOverloadBlocksTheMove = QStringLiteral("负荷过载!!");

// The status line once a test has stopped.
inline const QString kTestStoppedState = QStringLiteral("试验状态：试验停止");

// The measured quantities, as columns, axes, readouts and scheme rows name them.
inline const QString kLoadName = QStringLiteral("负荷");
inline const QString kDisplacementName = QStringLiteral("位移");
inline const QString kDeformationName = QStringLiteral("变形");
inline const QString kStiffnessName = QStringLiteral("刚度");
inline const QString kMeasuredValueName = QStringLiteral("实测值");

}  // namespace springtest
