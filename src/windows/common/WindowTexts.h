#pragma once

#include <QString>

namespace springtest {

// The operator's texts that several windows show, each written once, so that the same command, button or
// message reads the same wherever the operator meets it. Texts the cores share too are in
// platform/OperatorTexts.h; a text one file uses stays in that file.

// Buttons and captions of the dialogs.
inline const QString kOkButton = QStringLiteral("确定");
inline const QString kCancelButton = QStringLiteral("取消");
inline const QString kSaveButton = QStringLiteral("保存");
inline const QString kDeleteButton = QStringLiteral("删除");
inline const QString kYes = QStringLiteral("是");
inline const QString kNo = QStringLiteral("否");
inline const QString kErrorCaption = QStringLiteral("错误");

// The main window's commands and the windows they open, named alike.
inline const QString kFileMenu = QStringLiteral("文件操作");
inline const QString kOpenFileCommand = QStringLiteral("打开文件");
inline const QString kDeleteFileCommand = QStringLiteral("删除文件");
inline const QString kLoginTitle = QStringLiteral("登录");
inline const QString kTestSettingsTitle = QStringLiteral("试验设置");
inline const QString kAutoRepeatTitle = QStringLiteral("自动试验设置");
inline const QString kResultBrowserTitle = QStringLiteral("数据处理");
inline const QString kReportNamesTitle = QStringLiteral("报表设置");
// A command whose window belongs to a machine type this release does not equip yet (the lateral machine's
// own windows) says so rather than doing nothing.
inline const QString kWindowNotInstalled = QStringLiteral("本机型的窗口尚未安装!!");

// Opening and deleting a batch file from the main window or the result browser.
inline const QString kOpenDatabaseTitle = QStringLiteral("打开数据库");
inline const QString kDeleteDatabaseTitle = QStringLiteral("删除数据库");
inline const QString kDeleteFolderQuestion = QStringLiteral("是否删除文件夹");  // + the file
inline const QString kFileDeleteError = QStringLiteral("文件删除错误!!");

// The test's direction and its start and stop buttons.
inline const QString kCompressionDirection = QStringLiteral("压向");
inline const QString kTensionDirection = QStringLiteral("拉向");
inline const QString kStartTestButton = QStringLiteral("试验开始");
inline const QString kStopTestButton = QStringLiteral("试验停止");
inline const QString kTimesUnit = QStringLiteral("次");  // beside a count of tests or cycles

// The curve windows of the console and of the result browser.
inline const QString kCurveWindowCaption = QStringLiteral("曲线显示窗口");
inline const QString kCurveReadoutPrefix = QStringLiteral("曲线坐标:X:");  // + x + " Y:" + y
inline const QString kZoomInTool = QStringLiteral("曲线放大");
inline const QString kZoomOutTool = QStringLiteral("曲线缩小");
inline const QString kStretchYTool = QStringLiteral("Y轴增大");
inline const QString kShrinkYTool = QStringLiteral("Y轴减小");
inline const QString kShrinkXTool = QStringLiteral("X轴减小");
inline const QString kStretchXTool = QStringLiteral("X轴增大");
inline const QString kSaveCurveTool = QStringLiteral("保存曲线图像");

}  // namespace springtest
