<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AdvanceParamWidget</name>
    <message>
        <source>参数组</source>
        <translation>Parameter groups</translation>
    </message>
    <message>
        <source>参数编辑</source>
        <translation>Parameter editing</translation>
    </message>
    <message>
        <source>图像放大缩小</source>
        <translation>Image zoom</translation>
    </message>
    <message>
        <source>新密码</source>
        <translation>New password</translation>
    </message>
    <message>
        <source>确认密码</source>
        <translation>Confirm password</translation>
    </message>
    <message>
        <source>参数开关</source>
        <translation>Switches</translation>
    </message>
    <message>
        <source>参数组名称无效：最多%1个字符，只能使用字母、数字、空格和 - _ . +，不能以点开头，不能使用 default</source>
        <translation>Invalid group name: at most %1 characters, only letters, digits, spaces and - _ . +, not starting with a dot, and not default</translation>
    </message>
    <message>
        <source>参数组备份失败，原有参数组未改变</source>
        <translation>The parameter group backup failed; the existing group is unchanged</translation>
    </message>
    <message>
        <source>请选择一个存在的参数组</source>
        <translation>Please choose an existing parameter group</translation>
    </message>
    <message>
        <source>参数组还原失败：参数组不完整或无法复制，当前参数未改变</source>
        <translation>The parameter group restore failed: the group is incomplete or could not be copied; the current parameters are unchanged</translation>
    </message>
    <message>
        <source>出厂参数组 default 不能删除</source>
        <translation>The factory parameter group default cannot be deleted</translation>
    </message>
    <message>
        <source>参数组删除失败</source>
        <translation>The parameter group could not be deleted</translation>
    </message>
    <message>
        <source>正在导出数据，请稍候……</source>
        <translation>Exporting data, please wait......</translation>
    </message>
    <message>
        <source>数据已导出，但部分原始图像未能从本机删除</source>
        <translation>The data was exported, but some raw images could not be removed from this unit</translation>
    </message>
    <message>
        <source>导出失败：数据未能完整复制到U盘，本机原始图像已保留</source>
        <translation>Export failed: the data could not be copied completely to the USB stick; the raw images are kept on this unit</translation>
    </message>
    <message>
        <source>选择投影数据文件目录</source>
        <translation>Select the data file folder</translation>
    </message>
    <message>
        <source>所选文件不是有效的升级包</source>
        <translation>The chosen file is not a valid update package</translation>
    </message>
    <message>
        <source>升级包复制失败</source>
        <translation>The update package could not be copied</translation>
    </message>
    <message>
        <source>系统时间修改失败</source>
        <translation>The system time could not be changed</translation>
    </message>
    <message>
        <source>出厂设置包不存在，未能重置</source>
        <translation>There is no factory settings package; nothing was reset</translation>
    </message>
    <message>
        <source>出厂设置包复制失败，未能重置</source>
        <translation>The factory settings package could not be copied; nothing was reset</translation>
    </message>
    <message>
        <source>出厂设置将在下次启动时恢复</source>
        <translation>The factory settings will be restored at the next start</translation>
    </message>
    <message>
        <source>网络异常无法访问</source>
        <translation>Network error: the server cannot be reached</translation>
    </message>
</context>
<context>
    <name>CComp_DialogFrame</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CameraParamWidget</name>
    <message>
        <source>启用</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>水平镜像</source>
        <translation>Mirror horizontally</translation>
    </message>
    <message>
        <source>垂直镜像</source>
        <translation>Mirror vertically</translation>
    </message>
    <message>
        <source>连续采集定时检测</source>
        <translation>Continuous capture, timed detection</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Reorder</translation>
    </message>
    <message>
        <source>参数开关</source>
        <translation>Switches</translation>
    </message>
    <message>
        <source>%1 号相机</source>
        <translation>Camera %1</translation>
    </message>
    <message>
        <source>曝光时间</source>
        <translation>Exposure</translation>
    </message>
    <message>
        <source>增益调节</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>清晰度</source>
        <translation>Sharpness</translation>
    </message>
    <message>
        <source>真实度</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>发射率</source>
        <translation>Emissivity</translation>
    </message>
    <message>
        <source>反射温度</source>
        <translation>Reflected temp</translation>
    </message>
    <message>
        <source>大气温度</source>
        <translation>Ambient temp</translation>
    </message>
    <message>
        <source>温度范围</source>
        <translation>Temp range</translation>
    </message>
    <message>
        <source>目标距离</source>
        <translation>Distance</translation>
    </message>
</context>
<context>
    <name>CameraReportForm_Model</name>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>检测工具</source>
        <translation>Tool</translation>
    </message>
    <message>
        <source>下限</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>上限</source>
        <translation>Upper</translation>
    </message>
    <message>
        <source>检测值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
</context>
<context>
    <name>CameraWgt_DataWidget</name>
    <message>
        <source>模板数 %1 / %2   %3</source>
        <translation>Template %1 / %2   %3</translation>
    </message>
</context>
<context>
    <name>CameraWgt_DataWidget_Title</name>
    <message>
        <source>相机%1</source>
        <translation>Cam%1</translation>
    </message>
    <message>
        <source>取样中</source>
        <translation>Sampling</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>检测中</source>
        <translation>Checking</translation>
    </message>
    <message>
        <source>检测完</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>等待中</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>左成品</source>
        <translation>Left product</translation>
    </message>
    <message>
        <source>左模腔</source>
        <translation>Left cavity</translation>
    </message>
    <message>
        <source>右成品</source>
        <translation>Right product</translation>
    </message>
    <message>
        <source>右模腔</source>
        <translation>Right cavity</translation>
    </message>
    <message>
        <source>成品</source>
        <translation>Product</translation>
    </message>
    <message>
        <source>模腔</source>
        <translation>Cavity</translation>
    </message>
    <message>
        <source>%1号相机 %2 %3</source>
        <translation>Cam%1 %2 %3</translation>
    </message>
    <message>
        <source>此相机未启用！</source>
        <translation>This camera is not enabled!</translation>
    </message>
</context>
<context>
    <name>CameraWgt_DataWidget_Title_Normal</name>
    <message>
        <source>帧率 </source>
        <translation>FPS </translation>
    </message>
    <message>
        <source>NG数 </source>
        <translation>NG </translation>
    </message>
    <message>
        <source>总数 </source>
        <translation>Total </translation>
    </message>
</context>
<context>
    <name>CameraWgt_DataWidget_Title_SetROI</name>
    <message>
        <source>图片信息</source>
        <translation>Image</translation>
    </message>
</context>
<context>
    <name>CammerWidget</name>
    <message>
        <source>注意：温度检测算法最多有10个顶点！</source>
        <translation>Note: a temperature region has at most 10 vertices!</translation>
    </message>
    <message>
        <source>%1号相机%2，重连成功</source>
        <translation>Camera %1 %2 reconnected</translation>
    </message>
    <message>
        <source>%1号相机的检测配置无法读取，每次检测均判为NG</source>
        <translation>The detection configuration of camera %1 cannot be read: the camera is judged NG at every check</translation>
    </message>
</context>
<context>
    <name>DateTimeWidget</name>
    <message>
        <source>开始日期</source>
        <translation>Start date</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>结束日期</source>
        <translation>End date</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>End time</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>日期检索错误!
是否重新检索</source>
        <translation>Wrong date range!
Search again?</translation>
    </message>
</context>
<context>
    <name>DottomDock_Describe_part1</name>
    <message>
        <source>周期%1秒</source>
        <translation>Cycle %1 s</translation>
    </message>
</context>
<context>
    <name>DrawROIWidget</name>
    <message>
        <source>模板</source>
        <translation>Template</translation>
    </message>
    <message>
        <source>实时画面</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>最近NG图</source>
        <translation>Recent NG</translation>
    </message>
    <message>
        <source>OK图片记录</source>
        <translation>OK images</translation>
    </message>
    <message>
        <source>NG图片记录</source>
        <translation>NG images</translation>
    </message>
    <message>
        <source>%1 号相机</source>
        <translation>Camera %1</translation>
    </message>
    <message>
        <source>全部相机</source>
        <translation>All cameras</translation>
    </message>
    <message>
        <source>成品检测</source>
        <translation>Product</translation>
    </message>
    <message>
        <source>模腔检测</source>
        <translation>Cavity</translation>
    </message>
    <message>
        <source>左成品检测</source>
        <translation>Left product</translation>
    </message>
    <message>
        <source>左模腔检测</source>
        <translation>Left cavity</translation>
    </message>
    <message>
        <source>右成品检测</source>
        <translation>Right product</translation>
    </message>
    <message>
        <source>右模腔检测</source>
        <translation>Right cavity</translation>
    </message>
    <message>
        <source>完成设定</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>不检测此模</source>
        <translation>Skip this mould</translation>
    </message>
    <message>
        <source>添加为模板</source>
        <translation>Add as template</translation>
    </message>
    <message>
        <source>实时↔模板</source>
        <translation>Live ↔ template</translation>
    </message>
    <message>
        <source>画矩形</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>画圆形</source>
        <translation>Circle</translation>
    </message>
    <message>
        <source>画手势区域</source>
        <translation>Freehand</translation>
    </message>
    <message>
        <source>复制当前区域</source>
        <translation>Copy region</translation>
    </message>
    <message>
        <source>删除选中区域</source>
        <translation>Delete selected</translation>
    </message>
    <message>
        <source>删除全部区域</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>上一张</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一张</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>删除当前模板</source>
        <translation>Delete template</translation>
    </message>
    <message>
        <source>重新检测</source>
        <translation>Check again</translation>
    </message>
    <message>
        <source>此相机未启用</source>
        <translation>This camera is not enabled</translation>
    </message>
    <message>
        <source>模板数 %1 / %2   %3</source>
        <translation>Template %1 / %2   %3</translation>
    </message>
    <message>
        <source>OK记录共%1张图片 当前为第%2张 %3</source>
        <translation>OK images: %1, showing %2 %3</translation>
    </message>
    <message>
        <source>NG记录共%1张图片 当前为第%2张 %3</source>
        <translation>NG images: %1, showing %2 %3</translation>
    </message>
    <message>
        <source>OK记录共0张图片</source>
        <translation>OK images: 0</translation>
    </message>
    <message>
        <source>NG记录共0张图片</source>
        <translation>NG images: 0</translation>
    </message>
    <message>
        <source>是否保存参数的修改？</source>
        <translation>Save the changed parameters?</translation>
    </message>
    <message>
        <source>参数保存失败，修改未生效！</source>
        <translation>The parameters could not be saved; the changes are not in force!</translation>
    </message>
    <message>
        <source>缺陷检测</source>
        <translation>Defect detection</translation>
    </message>
    <message>
        <source>角度矫正</source>
        <translation>Angle correction</translation>
    </message>
</context>
<context>
    <name>FromTimeToTime</name>
    <message>
        <source>开始日期</source>
        <translation>Start date</translation>
    </message>
    <message>
        <source>结束日期</source>
        <translation>End date</translation>
    </message>
</context>
<context>
    <name>IOStatusWidget_2</name>
    <message>
        <source>I/O板无应答</source>
        <translation>I/O board not answering</translation>
    </message>
</context>
<context>
    <name>ImagePickForm_Source</name>
    <message>
        <source>·图片类型</source>
        <translation>·Image type</translation>
    </message>
    <message>
        <source>·相机</source>
        <translation>·Camera</translation>
    </message>
    <message>
        <source>·检测类型</source>
        <translation>·Stage</translation>
    </message>
    <message>
        <source>模板</source>
        <translation>Template</translation>
    </message>
    <message>
        <source>实时画面</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>最近NG</source>
        <translation>Recent NG</translation>
    </message>
    <message>
        <source>OK记录</source>
        <translation>OK images</translation>
    </message>
    <message>
        <source>NG记录</source>
        <translation>NG images</translation>
    </message>
    <message>
        <source>%1号相机</source>
        <translation>Camera %1</translation>
    </message>
    <message>
        <source>全部相机</source>
        <translation>All cameras</translation>
    </message>
    <message>
        <source>左成品</source>
        <translation>Left product</translation>
    </message>
    <message>
        <source>左模腔</source>
        <translation>Left cavity</translation>
    </message>
    <message>
        <source>右成品</source>
        <translation>Right product</translation>
    </message>
    <message>
        <source>右模腔</source>
        <translation>Right cavity</translation>
    </message>
    <message>
        <source>检测</source>
        <translation> </translation>
    </message>
    <message>
        <source>成品检测</source>
        <translation>Product</translation>
    </message>
    <message>
        <source>模腔检测</source>
        <translation>Cavity</translation>
    </message>
</context>
<context>
    <name>InputOutputParamWidget</name>
    <message>
        <source>报警时长</source>
        <translation>Alarm time</translation>
    </message>
    <message>
        <source>  标准</source>
        <translation>  Standard</translation>
    </message>
    <message>
        <source> 双色机</source>
        <translation> Two-colour</translation>
    </message>
    <message>
        <source> 转盘机</source>
        <translation> Rotary</translation>
    </message>
    <message>
        <source>系统功能</source>
        <translation>Machine type</translation>
    </message>
    <message>
        <source>通讯端口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>检测信号分离</source>
        <translation>Separate detection signals</translation>
    </message>
    <message>
        <source>温度检测报警不停机</source>
        <translation>Temperature alarm does not stop</translation>
    </message>
    <message>
        <source>参数开关</source>
        <translation>Switches</translation>
    </message>
    <message>
        <source>参数调整</source>
        <translation>Adjustments</translation>
    </message>
</context>
<context>
    <name>Main_MenuBtnWidget</name>
    <message>
        <source>开始检测</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>系统参数</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>重新取样</source>
        <translation>Resample</translation>
    </message>
    <message>
        <source>区域设置</source>
        <translation>Regions</translation>
    </message>
    <message>
        <source>生产统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>温度波形图</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>模腔手动抓拍</source>
        <translation>Cavity capture</translation>
    </message>
    <message>
        <source>成品手动抓拍</source>
        <translation>Product capture</translation>
    </message>
    <message>
        <source>停止检测</source>
        <translation>Stop</translation>
    </message>
</context>
<context>
    <name>MoJuWizard</name>
    <message>
        <source>系统正在初始化，请稍后......</source>
        <translation>The system is starting, please wait......</translation>
    </message>
    <message>
        <source>手动设置开始检测</source>
        <translation>Detection started by hand</translation>
    </message>
    <message>
        <source>确定要停止检测吗？</source>
        <translation>Stop detection?</translation>
    </message>
    <message>
        <source>手动设置停止检测</source>
        <translation>Detection stopped by hand</translation>
    </message>
    <message>
        <source>警告：成品检测没有启用！</source>
        <translation>Warning: product detection is not enabled!</translation>
    </message>
    <message>
        <source>数据还未加载完成..</source>
        <translation>Data is still loading..</translation>
    </message>
    <message>
        <source>生产统计未启用
请前往高级参数设置</source>
        <translation>Production statistics are off
Switch them on in the advanced settings</translation>
    </message>
    <message>
        <source>温度波形图未启用
请前往高级参数设置</source>
        <translation>The temperature chart is off
Switch it on in the advanced settings</translation>
    </message>
    <message>
        <source>%1号相机没有检测算法，每次检测均判为NG</source>
        <translation>Camera %1 has no detection engine: it is judged NG at every check</translation>
    </message>
</context>
<context>
    <name>MultipleBtnGroup</name>
    <message>
        <source>相机%1</source>
        <translation>Camera%1</translation>
    </message>
    <message>
        <source>所有相机</source>
        <translation>All cameras</translation>
    </message>
</context>
<context>
    <name>NumberKeyPad</name>
    <message>
        <source>退格</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>RangeWindow</name>
    <message>
        <source>相机号</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>检测号</source>
        <translation>Stage</translation>
    </message>
    <message>
        <source>区域号</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>日期时间</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>时间检索不能为空</source>
        <translation>Choose a start and an end time first</translation>
    </message>
</context>
<context>
    <name>ResultExport</name>
    <message>
        <source>上一个导出任务未完成</source>
        <translation>The previous export has not finished</translation>
    </message>
    <message>
        <source>请先选择导出路径</source>
        <translation>Choose the export folder first</translation>
    </message>
    <message>
        <source>确定是否导出</source>
        <translation>Export now?</translation>
    </message>
    <message>
        <source>数据导出完成</source>
        <translation>Export finished</translation>
    </message>
    <message>
        <source>数据导出失败</source>
        <translation>Export failed</translation>
    </message>
</context>
<context>
    <name>RollingBoxY</name>
    <message>
        <source>时</source>
        <translation>h</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
</context>
<context>
    <name>StatisticsWidget</name>
    <message>
        <source>生产统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>导出数据</source>
        <translation>Export</translation>
    </message>
</context>
<context>
    <name>StatisticsWindows</name>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>SystemParamDialog</name>
    <message>
        <source>输入输出</source>
        <translation>Input/Output</translation>
    </message>
    <message>
        <source>角度矫正</source>
        <translation>Angle correction</translation>
    </message>
    <message>
        <source>系统功能</source>
        <translation>Machine type</translation>
    </message>
    <message>
        <source>模具选择</source>
        <translation>Mould side</translation>
    </message>
    <message>
        <source>图像放大缩小</source>
        <translation>Image zoom</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>系统参数</source>
        <translation>System</translation>
    </message>
    <message>
        <source>相机参数</source>
        <translation>Cameras</translation>
    </message>
    <message>
        <source>高级参数</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>操作记录</source>
        <translation>Operation record</translation>
    </message>
    <message>
        <source>系统重启失败</source>
        <translation>The system could not be restarted</translation>
    </message>
    <message>
        <source>关闭电源失败</source>
        <translation>The power could not be turned off</translation>
    </message>
    <message>
        <source>所有相机均未启用，请重新确认要启用的相机</source>
        <translation>No camera is enabled, please choose the cameras to enable</translation>
    </message>
    <message>
        <source>（未能保存，重启后失效）</source>
        <translation> (not saved, lost at the next start)</translation>
    </message>
    <message>
        <source>参数未能保存：修改只在本次运行中有效</source>
        <translation>The settings could not be saved:
the changes hold only until the next start</translation>
    </message>
</context>
<context>
    <name>SystemParamWidget</name>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>成品延時</source>
        <translation>Prod delay</translation>
    </message>
    <message>
        <source>模腔延时</source>
        <translation>Mold delay</translation>
    </message>
    <message>
        <source>一次延时</source>
        <translation>1st delay</translation>
    </message>
    <message>
        <source>二次延时</source>
        <translation>2nd delay</translation>
    </message>
    <message>
        <source>模腔重检</source>
        <translation>Mold recheck</translation>
    </message>
    <message>
        <source>过滤尺寸</source>
        <translation>Filter size</translation>
    </message>
    <message>
        <source>报警面积</source>
        <translation>Alarm area</translation>
    </message>
    <message>
        <source>延时参数</source>
        <translation>Delays</translation>
    </message>
    <message>
        <source>NG时自动重检次数</source>
        <translation>Automatic rechecks on NG</translation>
    </message>
    <message>
        <source>功能设置</source>
        <translation>Functions</translation>
    </message>
    <message>
        <source>启用成品检测</source>
        <translation>Enable product detection</translation>
    </message>
    <message>
        <source>半自动</source>
        <translation>Semiauto</translation>
    </message>
    <message>
        <source>运动矫正</source>
        <translation>Motion correction</translation>
    </message>
    <message>
        <source>模腔参数同步成品参数</source>
        <translation>Mold follows product regions</translation>
    </message>
    <message>
        <source>启用密码保护</source>
        <translation>Enable password</translation>
    </message>
    <message>
        <source>模板自动更新</source>
        <translation>Template auto update</translation>
    </message>
    <message>
        <source>清零</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>关闭电源</source>
        <translation>Power off</translation>
    </message>
    <message>
        <source>参数开关</source>
        <translation>Switches</translation>
    </message>
    <message>
        <source>参数管理</source>
        <translation>Management</translation>
    </message>
    <message>
        <source>计数清零</source>
        <translation>Clear counters</translation>
    </message>
    <message>
        <source>系统语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>电源管理</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>确定要清零计数吗？</source>
        <translation>Clear the counters?</translation>
    </message>
    <message>
        <source>检测计数已被清零</source>
        <translation>The detection counters were cleared</translation>
    </message>
</context>
<context>
    <name>TemperatureChartWidget</name>
    <message>
        <source>温度波形图</source>
        <translation>Temperature chart</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>导出数据</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>定时记录</source>
        <translation>Timed record</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>min</translation>
    </message>
    <message>
        <source>数据加载中</source>
        <translation>Loading data</translation>
    </message>
    <message>
        <source>实时</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Paused</translation>
    </message>
</context>
<context>
    <name>VersionDownloadDialog</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在读取版本库：%1 / %2</source>
        <translation>Reading the version library: %1 / %2</translation>
    </message>
</context>
<context>
    <name>Warnbox</name>
    <message>
        <source>警告提示</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>WidgetChangeCamera</name>
    <message>
        <source>相机排序</source>
        <translation>Camera order</translation>
    </message>
    <message>
        <source>相机排序保存失败</source>
        <translation>The camera order could not be saved</translation>
    </message>
</context>
<context>
    <name>cancelbtn</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>inputbox</name>
    <message>
        <source>请输入密码</source>
        <translation>Please enter the password</translation>
    </message>
    <message>
        <source>输入框</source>
        <translation>Login</translation>
    </message>
</context>
<context>
    <name>mCustomPlot</name>
    <message>
        <source>温度°C</source>
        <translation>Temperature °C</translation>
    </message>
    <message>
        <source>实时</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>区域移动</source>
        <translation>Drag</translation>
    </message>
    <message>
        <source>隐藏标签</source>
        <translation>Hide label</translation>
    </message>
    <message>
        <source>相机:%1_%2_区域:%3</source>
        <translation>Camera:%1_%2_Region:%3</translation>
    </message>
    <message>
        <source>成品检测</source>
        <translation>Product</translation>
    </message>
    <message>
        <source>模腔检测</source>
        <translation>Cavity</translation>
    </message>
    <message>
        <source>相机:0_没有检测_区域:0</source>
        <translation>Camera:0_no stage_Region:0</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>区域放大</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>显示标签</source>
        <translation>Show label</translation>
    </message>
    <message>
        <source>日期:%1
温度:%2</source>
        <translation>Date: %1
Temperature: %2</translation>
    </message>
</context>
<context>
    <name>modifyTimeWidget</name>
    <message>
        <source>修改日期</source>
        <translation>Set date</translation>
    </message>
    <message>
        <source>修改时间</source>
        <translation>Set time</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>okbtn</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>tipbox</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
</TS>
