<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AdjustFocusForm</name>
    <message>
        <source>Form</source>
        <translation>辅助调焦</translation>
    </message>
    <message>
        <source>Preview Area</source>
        <translation>预览区</translation>
    </message>
    <message>
        <source>Auxiliary Zoom Graphic Area</source>
        <translation>辅助调焦曲线区</translation>
    </message>
    <message>
        <source>Start Sampling</source>
        <translation>开始采样</translation>
    </message>
    <message>
        <source>Start Fine-tuning</source>
        <translation>开始微调</translation>
    </message>
    <message>
        <source>Stop Auxiliary Zoom</source>
        <translation>停止辅助调焦</translation>
    </message>
    <message>
        <source>Operation Steps</source>
        <translation>操作步骤</translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;/head&gt;&lt;body style=&quot;font-size:9pt;&quot;&gt;
&lt;p&gt;1.Please set focus of IP camera to the shortest;&lt;/p&gt;
&lt;p&gt;2.Click &amp;quot;Start Sampling&amp;quot;,and set focus to the longest &lt;span style=&quot;color:#fd000c;&quot;&gt;slowly&lt;/span&gt;;&lt;/p&gt;
&lt;p&gt;3.Click &amp;quot;Start Fine-tuning&amp;quot;;&lt;/p&gt;
&lt;p&gt;4.Set focus until current definition line comes into BEST area;&lt;/p&gt;
&lt;p&gt;5.Click &amp;quot;Stop Auxiliary Zoom&amp;quot;. Complete auxiliary zoom setting.&lt;/p&gt;
&lt;p&gt;&lt;span style=&quot;color:#ff5500;&quot;&gt;Notice:Please make sure no movement before cameras. Otherwise reset the focus!&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;/head&gt;&lt;body style=&quot;font-size:9pt;&quot;&gt;
&lt;p&gt;1.请把摄像机的焦距调到最近端；&lt;/p&gt;
&lt;p&gt;2.点击“开始采样”，然后&lt;span style=&quot;color:#fd000c;&quot;&gt;缓慢地&lt;/span&gt;把焦距调到最远端；&lt;/p&gt;
&lt;p&gt;3.点击“开始微调”；&lt;/p&gt;
&lt;p&gt;4.往回调焦，直到当前清晰度线进入BEST区域；&lt;/p&gt;
&lt;p&gt;5.点击“停止辅助调焦”，完成辅助调焦。&lt;/p&gt;
&lt;p&gt;&lt;span style=&quot;color:#ff5500;&quot;&gt;注意：请确保摄像机前没有物体移动，否则需重新调焦！&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>CAdjustFocus</name>
    <message>
        <source>Failed!</source>
        <translation>失败！</translation>
    </message>
    <message>
        <source>Failed to start preview!</source>
        <translation>开始预览失败！</translation>
    </message>
    <message>
        <source>Start Auxiliary Zoom!</source>
        <translation>开始辅助调焦！</translation>
    </message>
    <message>
        <source>Start Fine-tuning!</source>
        <translation>开始微调！</translation>
    </message>
    <message>
        <source>Stop Auxiliary Zoom!</source>
        <translation>停止辅助调焦！</translation>
    </message>
</context>
<context>
    <name>CAdvacedFunc</name>
    <message>
        <source>CAdvacedFunc</source>
        <translation>镜头选型</translation>
    </message>
    <message>
        <source>Camera Focus and Lens Typeselection</source>
        <translation>摄像机焦距与镜头选型</translation>
    </message>
    <message>
        <source>IPC Model </source>
        <translation>IPC型号 </translation>
    </message>
    <message>
        <source>Object Distance</source>
        <translation>目标距离</translation>
    </message>
    <message>
        <source>m</source>
        <translation>米</translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation>分辨率</translation>
    </message>
    <message>
        <source>Object Width   </source>
        <translation>目标宽度   </translation>
    </message>
    <message>
        <source>Focus(mm)</source>
        <translation>焦距(mm)</translation>
    </message>
    <message>
        <source>Recommended Lens Model</source>
        <translation>推荐镜头型号</translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation>垂直</translation>
    </message>
    <message>
        <source>Nearby:</source>
        <translation>近处：</translation>
    </message>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>Distant:</source>
        <translation>远处：</translation>
    </message>
    <message>
        <source>Camera Bracket:</source>
        <translation>支架角度：</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>Lens Simulation</source>
        <translation>镜头模拟</translation>
    </message>
    <message>
        <source>Horizontal</source>
        <translation>水平</translation>
    </message>
    <message>
        <source>Bandwidth and Storage Space Calculation</source>
        <translation>带宽与存储空间计算</translation>
    </message>
    <message>
        <source>Bitrate(Kbps)</source>
        <translation>码率(Kbps)</translation>
    </message>
    <message>
        <source>Record days</source>
        <translation>录像天数</translation>
    </message>
    <message>
        <source>Hours(per day)</source>
        <translation>小时数(每天)</translation>
    </message>
    <message>
        <source>Bandwidth(Mbps)</source>
        <translation>带宽(Mbps)</translation>
    </message>
    <message>
        <source>Storage Space(G)</source>
        <translation>存储空间(G)</translation>
    </message>
    <message>
        <source>Analog</source>
        <translation>模拟</translation>
    </message>
    <message>
        <source> Interface</source>
        <translation> 接口</translation>
    </message>
</context>
<context>
    <name>CBatchConfigFrame</name>
    <message>
        <source>Camera Parameters</source>
        <translation>摄像机参数</translation>
    </message>
    <message>
        <source>Video Parameters</source>
        <translation>视频参数</translation>
    </message>
    <message>
        <source>Compressing Parameters</source>
        <translation>压缩参数</translation>
    </message>
    <message>
        <source>Recording Parameters</source>
        <translation>录像参数</translation>
    </message>
    <message>
        <source>DDNS Parameters</source>
        <translation>DDNS参数</translation>
    </message>
    <message>
        <source>NTP Parameters</source>
        <translation>NTP参数</translation>
    </message>
    <message>
        <source>NFS Parameters</source>
        <translation>NFS参数</translation>
    </message>
    <message>
        <source>Email Parameters</source>
        <translation>邮件参数</translation>
    </message>
    <message>
        <source>RS485 Parameters</source>
        <translation>RS485参数</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>Device Serial No.</source>
        <translation>设备序列号</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP地址</translation>
    </message>
    <message>
        <source>Set State</source>
        <translation>设置状态</translation>
    </message>
    <message>
        <source>Succeed to set</source>
        <translation>设置成功</translation>
    </message>
    <message>
        <source>Failed to set</source>
        <translation>设置失败</translation>
    </message>
    <message>
        <source>Unset</source>
        <translation>未设置</translation>
    </message>
    <message>
        <source>Set Complete</source>
        <translation>设置完成</translation>
    </message>
    <message>
        <source>Setting up</source>
        <translation>正在设置</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Please select parameter templet file!</source>
        <translation>请选择参数模板文件！</translation>
    </message>
    <message>
        <source>Please select device</source>
        <translation>请选择设备</translation>
    </message>
    <message>
        <source>Failed to setup parameters!</source>
        <translation>设置参数失败！</translation>
    </message>
    <message>
        <source>Stop Set</source>
        <translation>停止设置</translation>
    </message>
    <message>
        <source>Start Set</source>
        <translation>开始设置</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>xml files (*.xml)</source>
        <translation>XML文件 (*.xml)</translation>
    </message>
</context>
<context>
    <name>CBatchConfigFrameClass</name>
    <message>
        <source>All</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>Parameter Templet</source>
        <translation>参数模板</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Reboot after setting</source>
        <translation>设置后重启</translation>
    </message>
    <message>
        <source>Start Setting</source>
        <translation>开始设置</translation>
    </message>
</context>
<context>
    <name>CChannelconfig</name>
    <message>
        <source>Failed to get picture information!</source>
        <translation>获取图像信息失败！</translation>
    </message>
    <message>
        <source>Failed to get compression information!</source>
        <translation>获取压缩参数失败！</translation>
    </message>
    <message>
        <source>Failed to get record information!</source>
        <translation>获取录像信息失败！</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>错误！</translation>
    </message>
    <message>
        <source>The start time should be earlier than the end time!</source>
        <translation>开始时间应早于结束时间！</translation>
    </message>
    <message>
        <source>There should no duplicated time between periods!</source>
        <translation>各时间段之间不能重叠！</translation>
    </message>
    <message>
        <source>Failed to set video parameters!</source>
        <translation>设置视频参数失败！</translation>
    </message>
    <message>
        <source>Succeed to set video parameters!</source>
        <translation>设置视频参数成功！</translation>
    </message>
    <message>
        <source>Failed to set compressing parameters!</source>
        <translation>设置压缩参数失败！</translation>
    </message>
    <message>
        <source>Succeed to set compressing parameters!(Stream type and Encode type will effect after reboot)</source>
        <translation>设置压缩参数成功！（码流类型和编码类型重启后生效）</translation>
    </message>
    <message>
        <source>Succeed to set compressing parameters!(Stream type will effect after reboot)</source>
        <translation>设置压缩参数成功！（码流类型重启后生效）</translation>
    </message>
    <message>
        <source>Succeed to set compressing parameters!(Encode type will effect after reboot)</source>
        <translation>设置压缩参数成功！（编码类型重启后生效）</translation>
    </message>
    <message>
        <source>Succeed to set compressing parameters!</source>
        <translation>设置压缩参数成功！</translation>
    </message>
    <message>
        <source>Failed to set recording parameters!</source>
        <translation>设置录像参数失败！</translation>
    </message>
    <message>
        <source>Succeed to set recording parameters!</source>
        <translation>设置录像参数成功！</translation>
    </message>
</context>
<context>
    <name>CChannelconfigClass</name>
    <message>
        <source>CChannelconfig</source>
        <translation>通道配置</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>图像</translation>
    </message>
    <message>
        <source>Display Name</source>
        <translation>显示名称</translation>
    </message>
    <message>
        <source>Channel Name</source>
        <translation>通道名称</translation>
    </message>
    <message>
        <source>Display Date</source>
        <translation>显示日期</translation>
    </message>
    <message>
        <source>Date Format</source>
        <translation>日期格式</translation>
    </message>
    <message>
        <source>XXXX-XX-XX Year Month Day</source>
        <translation>XXXX-XX-XX 年月日</translation>
    </message>
    <message>
        <source>XX-XX-XXXX Month Day Year</source>
        <translation>XX-XX-XXXX 月日年</translation>
    </message>
    <message>
        <source>XXXX Year XX Month XX Day</source>
        <translation>XXXX年XX月XX日</translation>
    </message>
    <message>
        <source>XX Month XX Day XXXX Year</source>
        <translation>XX月XX日XXXX年</translation>
    </message>
    <message>
        <source>XX-XX-XXXX Day Month Year</source>
        <translation>XX-XX-XXXX 日月年</translation>
    </message>
    <message>
        <source>XX Day XX Month XXXX Year</source>
        <translation>XX日XX月XXXX年</translation>
    </message>
    <message>
        <source>Display Week</source>
        <translation>显示星期</translation>
    </message>
    <message>
        <source>Time Format</source>
        <translation>时间格式</translation>
    </message>
    <message>
        <source>24-Hour Clock</source>
        <translation>24小时制</translation>
    </message>
    <message>
        <source>12-Hour Clock</source>
        <translation>12小时制</translation>
    </message>
    <message>
        <source>Save to Templet</source>
        <translation>保存到模板</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>压缩参数</translation>
    </message>
    <message>
        <source>Compressing Prarmeter Type</source>
        <translation>压缩参数类型</translation>
    </message>
    <message>
        <source>Main Stream</source>
        <translation>主码流</translation>
    </message>
    <message>
        <source>Sub Stream</source>
        <translation>子码流</translation>
    </message>
    <message>
        <source>Stream Type</source>
        <translation>码流类型</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>视频</translation>
    </message>
    <message>
        <source>Video &amp; Audio</source>
        <translation>音视频</translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation>分辨率</translation>
    </message>
    <message>
        <source>DCIF</source>
        <translation>DCIF</translation>
    </message>
    <message>
        <source>CIF</source>
        <translation>CIF</translation>
    </message>
    <message>
        <source>QCIF</source>
        <translation>QCIF</translation>
    </message>
    <message>
        <source>4CIF</source>
        <translation>4CIF</translation>
    </message>
    <message>
        <source>2CIF</source>
        <translation>2CIF</translation>
    </message>
    <message>
        <source>VGA</source>
        <translation>VGA</translation>
    </message>
    <message>
        <source>UXGA</source>
        <translation>UXGA</translation>
    </message>
    <message>
        <source>SVGA</source>
        <translation>SVGA</translation>
    </message>
    <message>
        <source>HD720p</source>
        <translation>HD720p</translation>
    </message>
    <message>
        <source>XVGA</source>
        <translation>XVGA</translation>
    </message>
    <message>
        <source>HD900p</source>
        <translation>HD900p</translation>
    </message>
    <message>
        <source>SXGAp</source>
        <translation>SXGAp</translation>
    </message>
    <message>
        <source>HD1080i</source>
        <translation>HD1080i</translation>
    </message>
    <message>
        <source>2560*1920</source>
        <translation>2560*1920</translation>
    </message>
    <message>
        <source>1600*304</source>
        <translation>1600*304</translation>
    </message>
    <message>
        <source>2048*1536</source>
        <translation>2048*1536</translation>
    </message>
    <message>
        <source>2448*2048</source>
        <translation>2448*2048</translation>
    </message>
    <message>
        <source>Bitrate Type</source>
        <translation>码率类型</translation>
    </message>
    <message>
        <source>Variable</source>
        <translation>变码率</translation>
    </message>
    <message>
        <source>Constant</source>
        <translation>定码率</translation>
    </message>
    <message>
        <source>Bitrate</source>
        <translation>码率</translation>
    </message>
    <message>
        <source>16K</source>
        <translation>16K</translation>
    </message>
    <message>
        <source>32K</source>
        <translation>32K</translation>
    </message>
    <message>
        <source>48K</source>
        <translation>48K</translation>
    </message>
    <message>
        <source>64K</source>
        <translation>64K</translation>
    </message>
    <message>
        <source>80K</source>
        <translation>80K</translation>
    </message>
    <message>
        <source>96K</source>
        <translation>96K</translation>
    </message>
    <message>
        <source>128K</source>
        <translation>128K</translation>
    </message>
    <message>
        <source>160K</source>
        <translation>160K</translation>
    </message>
    <message>
        <source>192K</source>
        <translation>192K</translation>
    </message>
    <message>
        <source>224K</source>
        <translation>224K</translation>
    </message>
    <message>
        <source>256K</source>
        <translation>256K</translation>
    </message>
    <message>
        <source>320K</source>
        <translation>320K</translation>
    </message>
    <message>
        <source>384K</source>
        <translation>384K</translation>
    </message>
    <message>
        <source>448K</source>
        <translation>448K</translation>
    </message>
    <message>
        <source>512K</source>
        <translation>512K</translation>
    </message>
    <message>
        <source>640K</source>
        <translation>640K</translation>
    </message>
    <message>
        <source>768K</source>
        <translation>768K</translation>
    </message>
    <message>
        <source>896K</source>
        <translation>896K</translation>
    </message>
    <message>
        <source>1024K</source>
        <translation>1024K</translation>
    </message>
    <message>
        <source>1280K</source>
        <translation>1280K</translation>
    </message>
    <message>
        <source>1536K</source>
        <translation>1536K</translation>
    </message>
    <message>
        <source>1792K</source>
        <translation>1792K</translation>
    </message>
    <message>
        <source>2048K</source>
        <translation>2048K</translation>
    </message>
    <message>
        <source>3072K</source>
        <translation>3072K</translation>
    </message>
    <message>
        <source>4096K</source>
        <translation>4096K</translation>
    </message>
    <message>
        <source>8192K</source>
        <translation>8192K</translation>
    </message>
    <message>
        <source>16384K</source>
        <translation>16384K</translation>
    </message>
    <message>
        <source>Customize</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>kbps</source>
        <translation>kbps</translation>
    </message>
    <message>
        <source>Frame Rate</source>
        <translation>帧率</translation>
    </message>
    <message>
        <source>Full</source>
        <translation>全帧率</translation>
    </message>
    <message>
        <source>1/16</source>
        <translation>1/16</translation>
    </message>
    <message>
        <source>1/8</source>
        <translation>1/8</translation>
    </message>
    <message>
        <source>1/4</source>
        <translation>1/4</translation>
    </message>
    <message>
        <source>1/2</source>
        <translation>1/2</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>4</source>
        <translation>4</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>12</source>
        <translation>12</translation>
    </message>
    <message>
        <source>16</source>
        <translation>16</translation>
    </message>
    <message>
        <source>20</source>
        <translation>20</translation>
    </message>
    <message>
        <source>15</source>
        <translation>15</translation>
    </message>
    <message>
        <source>18</source>
        <translation>18</translation>
    </message>
    <message>
        <source>22</source>
        <translation>22</translation>
    </message>
    <message>
        <source>I Frame Interval</source>
        <translation>I帧间隔</translation>
    </message>
    <message>
        <source>Encode Type</source>
        <translation>编码类型</translation>
    </message>
    <message>
        <source>ZOR264</source>
        <translation>ZOR264</translation>
    </message>
    <message>
        <source>H.264</source>
        <translation>H.264</translation>
    </message>
    <message>
        <source>MPEG4</source>
        <translation>MPEG4</translation>
    </message>
    <message>
        <source>M-JPEG</source>
        <translation>M-JPEG</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>Monday</source>
        <translation>星期一</translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation>星期二</translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation>星期三</translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation>星期四</translation>
    </message>
    <message>
        <source>Friday</source>
        <translation>星期五</translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation>星期六</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>星期日</translation>
    </message>
    <message>
        <source>All Day</source>
        <translation>全天录像</translation>
    </message>
    <message>
        <source>Recording Type</source>
        <translation>录像类型</translation>
    </message>
    <message>
        <source>Schedule Recording</source>
        <translation>定时录像</translation>
    </message>
    <message>
        <source>Motion Detection</source>
        <translation>移动侦测</translation>
    </message>
    <message>
        <source>Alarm Recording</source>
        <translation>报警录像</translation>
    </message>
    <message>
        <source>Motion Detection | Alarm</source>
        <translation>移动侦测或报警</translation>
    </message>
    <message>
        <source>Motion Detection &amp; Alarm</source>
        <translation>移动侦测和报警</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>命令触发</translation>
    </message>
    <message>
        <source>Intelligent Alarm</source>
        <translation>智能报警</translation>
    </message>
    <message>
        <source>First Period</source>
        <translation>第一时段</translation>
    </message>
    <message>
        <source>Second Period</source>
        <translation>第二时段</translation>
    </message>
    <message>
        <source>Third Period</source>
        <translation>第三时段</translation>
    </message>
    <message>
        <source>Fourth Period</source>
        <translation>第四时段</translation>
    </message>
    <message>
        <source>Copy to</source>
        <translation>复制到</translation>
    </message>
    <message>
        <source>All Week</source>
        <translation>整周</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Save Parameters</source>
        <translation>保存参数</translation>
    </message>
</context>
<context>
    <name>CConfigFrame</name>
    <message>
        <source>Login to </source>
        <translation>登录 </translation>
    </message>
    <message>
        <source> failed!</source>
        <translation> 失败！</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>错误！</translation>
    </message>
    <message>
        <source>Please select templets to save!</source>
        <translation>请选择要保存的模板！</translation>
    </message>
    <message>
        <source>Succeed</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Succeed to save templet!</source>
        <translation>保存模板成功！</translation>
    </message>
    <message>
        <source>Failed to save templet!</source>
        <translation>保存模板失败！</translation>
    </message>
    <message>
        <source>Failed to open templet!</source>
        <translation>打开模板失败！</translation>
    </message>
    <message>
        <source>Reboot device?</source>
        <translation>是否重启设备？</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Restore default settings?</source>
        <translation>是否恢复默认设置？</translation>
    </message>
    <message>
        <source>Failed to restore default settings!</source>
        <translation>恢复默认设置失败！</translation>
    </message>
    <message>
        <source>Succeed to restore default settings!</source>
        <translation>恢复默认设置成功！</translation>
    </message>
    <message>
        <source>Restore default settings successful, reboot to make all changes take effect, reboot now?</source>
        <translation>恢复默认设置成功，重启后所有更改才能生效，是否立即重启？</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>立即</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>稍后</translation>
    </message>
    <message>
        <source>Succeed to reboot device!</source>
        <translation>重启设备成功！</translation>
    </message>
    <message>
        <source>Failed to reboot device!</source>
        <translation>重启设备失败！</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Save templet</source>
        <translation>保存模板</translation>
    </message>
    <message>
        <source>XML File (*.xml)</source>
        <translation>XML文件 (*.xml)</translation>
    </message>
</context>
<context>
    <name>CConfigFrameClass</name>
    <message>
        <source>CConfigFrame</source>
        <translation>参数配置</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>摄像机</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>网络</translation>
    </message>
    <message>
        <source>PTZ</source>
        <translation>云台</translation>
    </message>
    <message>
        <source>Save Templet</source>
        <translation>保存模板</translation>
    </message>
    <message>
        <source>Restore settings</source>
        <translation>恢复默认设置</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>重启</translation>
    </message>
</context>
<context>
    <name>CHorizontalSimulate</name>
    <message>
        <source>Drag to measure the covered width at another distance</source>
        <translation>拖动以测量其他距离处的覆盖宽度</translation>
    </message>
    <message>
        <source>m</source>
        <translation>米</translation>
    </message>
    <message>
        <source>Horizontal viewing angle</source>
        <translation>水平视场角</translation>
    </message>
</context>
<context>
    <name>CIpLineEdit</name>
    <message>
        <source>Dialog</source>
        <translation>对话框</translation>
    </message>
</context>
<context>
    <name>CMainTableWithMend</name>
    <message>
        <source>Modify Device Information</source>
        <translation>修改设备信息</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>CMainTableWithMend</source>
        <translation>设备列表</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP地址</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Modify</source>
        <translation>修改</translation>
    </message>
    <message>
        <source>One IP</source>
        <translation>同一IP</translation>
    </message>
    <message>
        <source>Start IP Address</source>
        <translation>起始IP地址</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>错误！</translation>
    </message>
    <message>
        <source>Device name exceeds maximum length!</source>
        <translation>设备名称超过最大长度！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Select a device first!</source>
        <translation>请先选择一台设备！</translation>
    </message>
    <message>
        <source>Modifying, please wait...</source>
        <translation>正在修改，请稍候……</translation>
    </message>
    <message>
        <source>IP address, Subnet Mask and Port can&apos;t be empty!</source>
        <translation>IP地址、子网掩码和端口不能为空！</translation>
    </message>
    <message>
        <source>IP Address is invalid!</source>
        <translation>IP地址无效！</translation>
    </message>
    <message>
        <source>Subnet Mask is invalid!</source>
        <translation>子网掩码无效！</translation>
    </message>
    <message>
        <source>Gateway is invalid!</source>
        <translation>网关无效！</translation>
    </message>
    <message>
        <source>Port should be ranged from 2000 to 65535!</source>
        <translation>端口范围应为2000到65535！</translation>
    </message>
    <message>
        <source>The number of IP addresses is less than the number of devices!</source>
        <translation>IP地址数量少于设备数量！</translation>
    </message>
    <message>
        <source> set ip, port, mask to</source>
        <translation> 设置IP地址、端口、子网掩码为</translation>
    </message>
    <message>
        <source> succeed!</source>
        <translation> 成功！</translation>
    </message>
    <message>
        <source> failed!</source>
        <translation> 失败！</translation>
    </message>
    <message>
        <source> set gateway to</source>
        <translation> 设置网关为</translation>
    </message>
    <message>
        <source> set device name to</source>
        <translation> 设置设备名称为</translation>
    </message>
</context>
<context>
    <name>CMaintable</name>
    <message>
        <source>CMaintable</source>
        <translation>设备列表</translation>
    </message>
</context>
<context>
    <name>CNetconfig</name>
    <message>
        <source>Failed to get DDNS parameters!</source>
        <translation>获取DDNS参数失败！</translation>
    </message>
    <message>
        <source>Failed to get NTP parameters!</source>
        <translation>获取NTP参数失败！</translation>
    </message>
    <message>
        <source>Failed to get NFS parameters!</source>
        <translation>获取NFS参数失败！</translation>
    </message>
    <message>
        <source>Failed to get Email parameters!</source>
        <translation>获取邮件参数失败！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Invalid email address!</source>
        <translation>邮件地址无效！</translation>
    </message>
    <message>
        <source>Succeed to set DDNS parameters! (Effect after reboot)</source>
        <translation>设置DDNS参数成功！（重启后生效）</translation>
    </message>
    <message>
        <source>Failed to set DDNS parameters!</source>
        <translation>设置DDNS参数失败！</translation>
    </message>
    <message>
        <source>Succeed to set NTP parameters!</source>
        <translation>设置NTP参数成功！</translation>
    </message>
    <message>
        <source>Failed to set NTP parameters!</source>
        <translation>设置NTP参数失败！</translation>
    </message>
    <message>
        <source>Succeed to set NFS parameters! (Effect after reboot)</source>
        <translation>设置NFS参数成功！（重启后生效）</translation>
    </message>
    <message>
        <source>Failed to set NFS parameters!</source>
        <translation>设置NFS参数失败！</translation>
    </message>
    <message>
        <source>Succeed to set Email parameters!</source>
        <translation>设置邮件参数成功！</translation>
    </message>
    <message>
        <source>Failed to set Email parameters!</source>
        <translation>设置邮件参数失败！</translation>
    </message>
</context>
<context>
    <name>CNetconfigClass</name>
    <message>
        <source>DDNS</source>
        <translation>DDNS</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Supplier</source>
        <translation>服务商</translation>
    </message>
    <message>
        <source>Orvelle DNS</source>
        <translation>Orvelle DNS</translation>
    </message>
    <message>
        <source>Dyndns</source>
        <translation>Dyndns</translation>
    </message>
    <message>
        <source>PeanutHull</source>
        <translation>PeanutHull</translation>
    </message>
    <message>
        <source>NO-IP</source>
        <translation>NO-IP</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Device Domain Name</source>
        <translation>设备域名</translation>
    </message>
    <message>
        <source>Server Address</source>
        <translation>服务器地址</translation>
    </message>
    <message>
        <source>Server Port</source>
        <translation>服务器端口</translation>
    </message>
    <message>
        <source>Save to Templet</source>
        <translation>保存到模板</translation>
    </message>
    <message>
        <source>NTP</source>
        <translation>NTP</translation>
    </message>
    <message>
        <source>NTP Server IP Address or Domain Name</source>
        <translation>NTP服务器IP地址或域名</translation>
    </message>
    <message>
        <source>NTP Server Port</source>
        <translation>NTP服务器端口</translation>
    </message>
    <message>
        <source>NFS</source>
        <translation>NFS</translation>
    </message>
    <message>
        <source>Disk No. </source>
        <translation>硬盘号 </translation>
    </message>
    <message>
        <source>File Server IP</source>
        <translation>文件服务器IP</translation>
    </message>
    <message>
        <source>File Path</source>
        <translation>文件路径</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>邮件</translation>
    </message>
    <message>
        <source>Account Name</source>
        <translation>账户名</translation>
    </message>
    <message>
        <source>Account Password</source>
        <translation>账户密码</translation>
    </message>
    <message>
        <source>From Name</source>
        <translation>发件人</translation>
    </message>
    <message>
        <source>From Email Address</source>
        <translation>发件人地址</translation>
    </message>
    <message>
        <source>SMTP Server</source>
        <translation>SMTP服务器</translation>
    </message>
    <message>
        <source>SMTP Port</source>
        <translation>SMTP端口</translation>
    </message>
    <message>
        <source>POP3 Server</source>
        <translation>POP3服务器</translation>
    </message>
    <message>
        <source>Recipient Information</source>
        <translation>收件人信息</translation>
    </message>
    <message>
        <source>To Name</source>
        <translation>收件人</translation>
    </message>
    <message>
        <source>To Email Address</source>
        <translation>收件人地址</translation>
    </message>
    <message>
        <source>Attachment</source>
        <translation>附件</translation>
    </message>
    <message>
        <source>SMTP Verify</source>
        <translation>SMTP认证</translation>
    </message>
    <message>
        <source>Enable SSL</source>
        <translation>启用SSL</translation>
    </message>
    <message>
        <source>Send Intervel</source>
        <translation>发送间隔</translation>
    </message>
    <message>
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Save Parameter</source>
        <translation>保存参数</translation>
    </message>
</context>
<context>
    <name>CPTZconfig</name>
    <message>
        <source>Failed to get PTZ parameters!</source>
        <translation>获取云台参数失败！</translation>
    </message>
    <message>
        <source>Failed to save PTZ parameters!</source>
        <translation>保存云台参数失败！</translation>
    </message>
    <message>
        <source>Succeed to save PTZ parameters!</source>
        <translation>保存云台参数成功！</translation>
    </message>
</context>
<context>
    <name>CPTZconfigClass</name>
    <message>
        <source>PTZ</source>
        <translation>云台</translation>
    </message>
    <message>
        <source>PTZ Parameter Configuration Area</source>
        <translation>云台参数配置区</translation>
    </message>
    <message>
        <source>Baudrate</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>75</source>
        <translation>75</translation>
    </message>
    <message>
        <source>110</source>
        <translation>110</translation>
    </message>
    <message>
        <source>150</source>
        <translation>150</translation>
    </message>
    <message>
        <source>300</source>
        <translation>300</translation>
    </message>
    <message>
        <source>600</source>
        <translation>600</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>19200</source>
        <translation>19200</translation>
    </message>
    <message>
        <source>38400</source>
        <translation>38400</translation>
    </message>
    <message>
        <source>57600</source>
        <translation>57600</translation>
    </message>
    <message>
        <source>76800</source>
        <translation>76800</translation>
    </message>
    <message>
        <source>115.2k</source>
        <translation>115.2k</translation>
    </message>
    <message>
        <source>Data Bit</source>
        <translation>数据位</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>Stop Bit</source>
        <translation>停止位</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>奇校验</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>偶校验</translation>
    </message>
    <message>
        <source>Flow Ctrl</source>
        <translation>流控</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>软件</translation>
    </message>
    <message>
        <source>Hardware</source>
        <translation>硬件</translation>
    </message>
    <message>
        <source>Decoder Type</source>
        <translation>解码器类型</translation>
    </message>
    <message>
        <source>Decoder Address</source>
        <translation>解码器地址</translation>
    </message>
    <message>
        <source>Save to Templet</source>
        <translation>保存到模板</translation>
    </message>
    <message>
        <source>Save Parameters</source>
        <translation>保存参数</translation>
    </message>
</context>
<context>
    <name>CPaintArea</name>
    <message>
        <source>CPaintArea</source>
        <translation>辅助调焦曲线区</translation>
    </message>
    <message>
        <source>BEST</source>
        <translation>BEST</translation>
    </message>
</context>
<context>
    <name>CPreConfig</name>
    <message>
        <source>Failed to get camera parameters!</source>
        <translation>获取摄像机参数失败！</translation>
    </message>
    <message>
        <source>Failed to set lighteness!</source>
        <translation>设置亮度失败！</translation>
    </message>
    <message>
        <source>Succeed to set lighteness!</source>
        <translation>设置亮度成功！</translation>
    </message>
    <message>
        <source>Failed to set sharpness!</source>
        <translation>设置锐度失败！</translation>
    </message>
    <message>
        <source>Succeed to set sharpness!</source>
        <translation>设置锐度成功！</translation>
    </message>
    <message>
        <source>Failed to set saturation!</source>
        <translation>设置饱和度失败！</translation>
    </message>
    <message>
        <source>Succeed to set saturation!</source>
        <translation>设置饱和度成功！</translation>
    </message>
    <message>
        <source>Failed to set contrast!</source>
        <translation>设置对比度失败！</translation>
    </message>
    <message>
        <source>Succeed to set contrast!</source>
        <translation>设置对比度成功！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The range of video exposure time is </source>
        <translation>视频曝光时间的范围为 </translation>
    </message>
    <message>
        <source>Failed to save camera parameters!</source>
        <translation>保存摄像机参数失败！</translation>
    </message>
    <message>
        <source>Succeed to save camera parameters!</source>
        <translation>保存摄像机参数成功！</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Failed to start preview</source>
        <translation>开始预览失败</translation>
    </message>
    <message>
        <source>Failed!</source>
        <translation>失败！</translation>
    </message>
    <message>
        <source>Failed to start preview!</source>
        <translation>开始预览失败！</translation>
    </message>
</context>
<context>
    <name>CPreConfigClass</name>
    <message>
        <source>Camera</source>
        <translation>摄像机</translation>
    </message>
    <message>
        <source>Preview Area</source>
        <translation>预览区</translation>
    </message>
    <message>
        <source>Start preview</source>
        <translation>开始预览</translation>
    </message>
    <message>
        <source>Stop preview</source>
        <translation>停止预览</translation>
    </message>
    <message>
        <source>Video Parameter</source>
        <translation>视频参数</translation>
    </message>
    <message>
        <source>Lighteness</source>
        <translation>亮度</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>对比度</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>锐度</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>Day/Night</source>
        <translation>日夜转换</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>白天</translation>
    </message>
    <message>
        <source>Night</source>
        <translation>夜晚</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自动</translation>
    </message>
    <message>
        <source>Lens Type</source>
        <translation>镜头类型</translation>
    </message>
    <message>
        <source>Auto Iris</source>
        <translation>自动光圈</translation>
    </message>
    <message>
        <source>Manual Iris</source>
        <translation>手动光圈</translation>
    </message>
    <message>
        <source>Exposure Mode</source>
        <translation>曝光模式</translation>
    </message>
    <message>
        <source>Manual Exposure</source>
        <translation>手动曝光</translation>
    </message>
    <message>
        <source>Auto Exposure</source>
        <translation>自动曝光</translation>
    </message>
    <message>
        <source>Video Exposure</source>
        <translation>视频曝光</translation>
    </message>
    <message>
        <source>us </source>
        <translation>微秒 </translation>
    </message>
    <message>
        <source>Capture Exposure</source>
        <translation>抓拍曝光</translation>
    </message>
    <message>
        <source>us</source>
        <translation>微秒</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Day to Night Sensitivity</source>
        <translation>日转夜灵敏度</translation>
    </message>
    <message>
        <source>Night to Day Sensitivity</source>
        <translation>夜转日灵敏度</translation>
    </message>
    <message>
        <source>Filter Time</source>
        <translation>过滤时间</translation>
    </message>
    <message>
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Local Output</source>
        <translation>本地输出</translation>
    </message>
    <message>
        <source>Local Output Closed</source>
        <translation>本地输出关闭</translation>
    </message>
    <message>
        <source>BNC Output Open</source>
        <translation>BNC输出开启</translation>
    </message>
    <message>
        <source>HDMI Output Closed</source>
        <translation>HDMI输出关闭</translation>
    </message>
    <message>
        <source>HDMI_720P50 Output Open</source>
        <translation>HDMI_720P50输出开启</translation>
    </message>
    <message>
        <source>HDMI_720P60 Output Open</source>
        <translation>HDMI_720P60输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080I60 Output Open</source>
        <translation>HDMI_1080I60输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080I50 Output Open</source>
        <translation>HDMI_1080I50输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080P24 Output Open</source>
        <translation>HDMI_1080P24输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080P25 Output Open</source>
        <translation>HDMI_1080P25输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080P30 Output Open</source>
        <translation>HDMI_1080P30输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080P50 Output Open</source>
        <translation>HDMI_1080P50输出开启</translation>
    </message>
    <message>
        <source>HDMI_1080P60 Output Open</source>
        <translation>HDMI_1080P60输出开启</translation>
    </message>
    <message>
        <source>Save Parameters</source>
        <translation>保存参数</translation>
    </message>
    <message>
        <source>Save to Templet</source>
        <translation>保存到模板</translation>
    </message>
</context>
<context>
    <name>CRealPlay</name>
    <message>
        <source>Login to </source>
        <translation>登录 </translation>
    </message>
    <message>
        <source> failed!</source>
        <translation> 失败！</translation>
    </message>
    <message>
        <source>Failed to initialize DirectDraw!</source>
        <translation>初始化DirectDraw失败！</translation>
    </message>
    <message>
        <source>Open decode channel failed!</source>
        <translation>打开解码通道失败！</translation>
    </message>
</context>
<context>
    <name>CSearch</name>
    <message>
        <source>IP Range Error!</source>
        <translation>IP范围错误！</translation>
    </message>
    <message>
        <source>IP Input Error!</source>
        <translation>IP输入错误！</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>错误！</translation>
    </message>
    <message>
        <source>Failed to start searching!</source>
        <translation>启动搜索失败！</translation>
    </message>
    <message>
        <source>Start Search!</source>
        <translation>开始搜索！</translation>
    </message>
    <message>
        <source>Search Complete!</source>
        <translation>搜索完成！</translation>
    </message>
    <message>
        <source>Online Devices: </source>
        <translation>在线设备: </translation>
    </message>
    <message>
        <source>(User Name or Password error)</source>
        <translation>（用户名或密码错误）</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Terminate searching?</source>
        <translation>是否终止搜索？</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>正在停止……</translation>
    </message>
</context>
<context>
    <name>CSearchClass</name>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>IP  </source>
        <translation>IP  </translation>
    </message>
    <message>
        <source>From</source>
        <translation>从</translation>
    </message>
    <message>
        <source>to</source>
        <translation>到</translation>
    </message>
    <message>
        <source>Port     </source>
        <translation>端口     </translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
</context>
<context>
    <name>CUpgradeFrame</name>
    <message>
        <source>Directory path length exceeds limit</source>
        <translation>目录路径长度超出限制</translation>
    </message>
    <message>
        <source>File path length exceeds limit</source>
        <translation>文件路径长度超出限制</translation>
    </message>
    <message>
        <source>Not upgraded</source>
        <translation>未升级</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Terminate the upgrade may cause the device can not start, continue?</source>
        <translation>终止升级可能导致设备无法启动，是否继续？</translation>
    </message>
    <message>
        <source>Please select firmware or directory</source>
        <translation>请选择固件或目录</translation>
    </message>
    <message>
        <source>Please select device</source>
        <translation>请选择设备</translation>
    </message>
    <message>
        <source>Upgrade Failed</source>
        <translation>升级失败</translation>
    </message>
    <message>
        <source>Upgrade End</source>
        <translation>升级已终止</translation>
    </message>
    <message>
        <source>Stop Upgrade</source>
        <translation>停止升级</translation>
    </message>
    <message>
        <source>Start Upgrade</source>
        <translation>开始升级</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Upgrade Failed!</source>
        <translation>升级失败！</translation>
    </message>
    <message>
        <source>Wait Upgrading</source>
        <translation>等待升级</translation>
    </message>
    <message>
        <source>Upgrade succeed</source>
        <translation>升级成功</translation>
    </message>
    <message>
        <source>Unknown upgrade state</source>
        <translation>未知升级状态</translation>
    </message>
    <message>
        <source>Language Mismatch</source>
        <translation>固件语言不匹配</translation>
    </message>
    <message>
        <source>Failed to login</source>
        <translation>登录失败</translation>
    </message>
    <message>
        <source>Failed to get upgrade file name from device</source>
        <translation>从设备获取升级文件名失败</translation>
    </message>
    <message>
        <source>Device does not support upgrading from a directory</source>
        <translation>设备不支持按目录升级</translation>
    </message>
    <message>
        <source>Cannot find firmware</source>
        <translation>找不到固件</translation>
    </message>
    <message>
        <source>Upgrade succeed, reconnecting to device...</source>
        <translation>升级成功，正在重新连接设备……</translation>
    </message>
    <message>
        <source>Upgrade succeed, reconnect to device succeed</source>
        <translation>升级成功，重新连接设备成功</translation>
    </message>
    <message>
        <source>Upgrade succeed, restore default settings succeed</source>
        <translation>升级成功，恢复默认设置成功</translation>
    </message>
    <message>
        <source>Upgrade succeed, reconnect to device failed</source>
        <translation>升级成功，重新连接设备失败</translation>
    </message>
    <message>
        <source>Upgrading</source>
        <translation>正在升级</translation>
    </message>
</context>
<context>
    <name>CUpgradeFrameClass</name>
    <message>
        <source>Device Name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>Device Serial No.</source>
        <translation>设备序列号</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP地址</translation>
    </message>
    <message>
        <source>Upgrade State</source>
        <translation>升级状态</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>Upgrade File</source>
        <translation>升级文件</translation>
    </message>
    <message>
        <source>Upgade Directory</source>
        <translation>升级目录</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Reboot after upgrading</source>
        <translation>升级后重启</translation>
    </message>
    <message>
        <source>Restore Default Settings</source>
        <translation>恢复默认设置</translation>
    </message>
    <message>
        <source>Start Upgrate</source>
        <translation>开始升级</translation>
    </message>
</context>
<context>
    <name>CVerticalSimulate</name>
    <message>
        <source>Camera height</source>
        <translation>摄像机安装高度</translation>
    </message>
    <message>
        <source>Beginning of the detection area</source>
        <translation>检测区域起点</translation>
    </message>
    <message>
        <source>Distance of the far marker</source>
        <translation>远处标记的距离</translation>
    </message>
    <message>
        <source>Height of the far marker</source>
        <translation>远处标记的高度</translation>
    </message>
    <message>
        <source>Object height</source>
        <translation>目标高度</translation>
    </message>
    <message>
        <source> m</source>
        <translation> 米</translation>
    </message>
    <message>
        <source>Ground length shown</source>
        <translation>显示的地面长度</translation>
    </message>
    <message>
        <source>Height shown</source>
        <translation>显示的高度</translation>
    </message>
    <message>
        <source>The beginning of the detection area is located behind the object,
Please change the camera angle!</source>
        <translation>检测区域起点位于目标之后，
请调整摄像机角度！</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>Serial</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished">端口</translation>
    </message>
    <message>
        <source>Mask</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAC</source>
        <translation type="unfinished">MAC地址</translation>
    </message>
    <message>
        <source>Model</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software</source>
        <translation type="unfinished">软件</translation>
    </message>
    <message>
        <source>Start time</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n device(s)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>discover takes no arguments</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to load QUARRY library!</source>
        <translation type="unfinished">加载QUARRY库失败！</translation>
    </message>
    <message>
        <source>cannot listen for announcements (is the discovery port free?)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no device with that MAC answered</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device refused the password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device cannot take that address or port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>network error (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a MAC such as 02:54:56:00:00:01</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>readdress %1 failed: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[--seconds N]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 (SDK error %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IPv4 address such as 127.0.1.7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot log in to %1:%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the device record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the network record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>get takes HOST and RECORD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown record &quot;%1&quot;; records: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the %1 record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set takes HOST, RECORD and at least one FIELD=VALUE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not FIELD=VALUE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the %1 record has no field &quot;%2&quot;; &quot;tervix-cli get HOST %1&quot; lists them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the %1 record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes one HOST</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 refused to reboot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is rebooting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 did not restore its default parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 restored its default parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ability takes HOST and camera or device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the %1 ability (last buffer %2 bytes)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the PTZ protocols</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show the device&apos;s identity as the device list shows it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST RECORD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show every named field of a record (device, net, front, picture, compression, record, ddns, ntp, nfs, email, decoder)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST RECORD FIELD=VALUE...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>change named fields of a record; every other byte stays as read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reboot the device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>restore the device&apos;s default parameters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST camera|device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list the device&apos;s PTZ protocols</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Defaults: --port 8000 --user admin --password 60917. Exit status: 0 done, 1 the device or the SDK failed, 2 wrong command line.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;; &quot;tervix-cli help&quot; lists the commands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>usage: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--port takes a number from 1 to 65535, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--timeout takes milliseconds from 1 to 600000, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>refused  %1  (user name or password error)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>search takes the first and the last address of the range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the last address %1 lies below the first %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a search covers at most %1 addresses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 addresses searched in %2 s: %3 devices found, %4 refused the user name or password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FIRST LAST</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>logs in to every address from FIRST to LAST and lists the devices found and the addresses that refuse the user name or password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no port from 1 to 65535</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither an IPv4 address (with an optional :PORT) nor a MAC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set-network needs the device(s) to change</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>give either --ip (one device) or --start-ip (a batch)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>several devices take consecutive addresses from --start-ip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--name changes one device only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; names a device listed before</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the discovery protocol cannot carry that address or mask (it takes a unicast address and a mask other than 255.255.255.255)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>readdress takes the MAC of one device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>readdress needs --ip and --mask</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>how long to listen (3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new subnet mask</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new SDK port, 2000 to 65535 (without it the device keeps --port)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lists the devices that announce themselves within N seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAC --ip ADDRESS --mask MASK [--new-port N]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>moves a device to a new address (and SDK port) by its MAC, proving the password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot log in to %1: %2 (SDK error %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the device record of %1: %2 (SDK error %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set-network needs --mask</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the devices listen on different ports; --new-port gives them one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new address of one device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the first of the consecutive addresses a batch takes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new gateway (none: unchanged)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new device name (none: unchanged)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the new SDK port, 2000 to 65535 (none: each device keeps its own)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST --ip ADDRESS --mask MASK [--gateway ADDRESS] [--name TEXT] [--new-port N] | --start-ip ADDRESS --mask MASK [--gateway ADDRESS] [--new-port N] HOST...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>changes the address, mask, gateway, name and SDK port of a device, or moves several to consecutive addresses from --start-ip; HOST is ADDRESS[:PORT] (reached with --port, --user and --password) or the MAC of an announced device (listening on --port)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the search could not be started: the system gave it no thread</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown section &quot;%1&quot;; sections: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the templet %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>saved %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the templet %1: no such file, or not well-formed XML</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[%1] absent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>templet %1 does not take --%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>templet takes save HOST FILE, show FILE or apply FILE HOST...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>templet save and show: comma-separated sections, front,picture,compression,record,ddns,nfs,ntp,email,rs485 (all)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>save HOST FILE | show FILE | apply FILE HOST...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>save the device&apos;s parameters as a parameter templet, as the configuration frame does; show each section of a templet as it is read (absent sections too); apply a templet to devices, as the Batch Set page does</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>templet apply: reboot each device after its sections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed to log in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>setting up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>templet apply needs a templet FILE and at least one HOST</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read the templet %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2; applied: %3; failed: %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>give either --file FILE or --dir DIRECTORY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upgrade needs the device(s) to upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--restore needs --reboot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the image every device gets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a directory holding the image of each device, named by its description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>reboot each device after its upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>with --reboot: wait for each device to come back and restore its default settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(--file FILE | --dir DIRECTORY) HOST... [--reboot [--restore]]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upgrades the firmware of the devices, sixteen at a time, with a line for each change of a device&apos;s state and its state at the end; exit status 1 when any device did not succeed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 takes a number from %2 to %3, not &quot;%4&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>channel of the record (the one its page uses)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>size of the first buffer tried (5120)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>print the camera or device ability text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>usage: tervix-cli COMMAND ARGUMENTS [OPTIONS]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>       tervix-cli COMMAND --help | help [COMMAND] | --version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The commands that reach devices take --port N --user NAME --password TEXT (or --password-stdin, or TERVIX_PASSWORD in the environment) --timeout MS; every command takes --json. &quot;tervix-cli COMMAND --help&quot; lists a command&apos;s options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show this and stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 does not take the option %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the device&apos;s SDK port, where it is logged in (8000)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>user name (admin)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>password (60917, or TERVIX_PASSWORD when set); visible to other users of the machine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>read the password from the first line of standard input</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>connect and receive time-out in milliseconds (the SDK&apos;s own)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>print the result as JSON on standard output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>give the password with --password or --password-stdin, not both</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show the command&apos;s usage and options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>how long to follow the live stream (10)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the focus value of a binary 8-bit PGM picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot start the live stream of %1:%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 sent no picture within %2 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>highest: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lowest:  %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--image takes no HOST and no --seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>focus needs one HOST, or --image FILE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST [--seconds N] | --image FILE.pgm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the focus values of the live stream, five a second, with the highest and lowest seen; or the focus value of a picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stream takes one HOST</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write &quot;%1&quot;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 refused the live stream</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no stream header from %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>could not write all of the stream to &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the stream of %1 ended early</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>how long to watch (10 by default)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>write the stream to FILE as it came (a raw H.264, MPEG-4 or M-JPEG stream)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST [--seconds N] [--out FILE]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>watch the device&apos;s live stream and tell its codec, size, frame rate and bitrate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port should be ranged from 2000 to 65535!</source>
        <translation type="unfinished">端口范围应为2000到65535！</translation>
    </message>
    <message>
        <source>how long to wait for the first picture (default 10000)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>snapshot needs HOST and FILE.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot start the live stream of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no picture from %1 within %2 ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the picture to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wrote a %1x%2 picture of %3 to %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST FILE.png</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>writes one picture of the device&apos;s live stream as a PNG file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DeviceList</name>
    <message>
        <source>IP Address</source>
        <translation>IP地址</translation>
    </message>
    <message>
        <source>Device Serial No.</source>
        <translation>设备序列号</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>Device Model</source>
        <translation>设备型号</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC地址</translation>
    </message>
    <message>
        <source>Channel No.</source>
        <translation>通道数</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>软件版本</translation>
    </message>
    <message>
        <source>DSP Version</source>
        <translation>DSP版本</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>启动时间</translation>
    </message>
</context>
<context>
    <name>DeviceSdk</name>
    <message>
        <source>no error</source>
        <translation>没有错误</translation>
    </message>
    <message>
        <source>wrong user name or password</source>
        <translation>用户名或密码错误</translation>
    </message>
    <message>
        <source>not supported by the device</source>
        <translation>设备不支持</translation>
    </message>
    <message>
        <source>buffer too small</source>
        <translation>缓冲区太小</translation>
    </message>
    <message>
        <source>not logged in</source>
        <translation>未登录</translation>
    </message>
    <message>
        <source>invalid parameter</source>
        <translation>参数无效</translation>
    </message>
    <message>
        <source>cannot connect to the device</source>
        <translation>无法连接设备</translation>
    </message>
    <message>
        <source>sending to the device failed</source>
        <translation>向设备发送数据失败</translation>
    </message>
    <message>
        <source>receiving from the device failed</source>
        <translation>从设备接收数据失败</translation>
    </message>
    <message>
        <source>the device did not answer in time</source>
        <translation>设备响应超时</translation>
    </message>
    <message>
        <source>the device sent malformed data</source>
        <translation>设备发送的数据格式错误</translation>
    </message>
    <message>
        <source>the device serves no more sessions</source>
        <translation>设备连接数已满</translation>
    </message>
    <message>
        <source>the device refused the operation</source>
        <translation>设备拒绝了该操作</translation>
    </message>
    <message>
        <source>the device is busy</source>
        <translation>设备忙</translation>
    </message>
    <message>
        <source>the device speaks another protocol version</source>
        <translation>设备协议版本不匹配</translation>
    </message>
    <message>
        <source>too many logins open</source>
        <translation>打开的登录过多</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>未知错误</translation>
    </message>
</context>
<context>
    <name>GreyPicture</name>
    <message>
        <source>not a binary grey map (it does not start with P5)</source>
        <translation>不是二进制灰度图（开头不是P5）</translation>
    </message>
    <message>
        <source>the grey map&apos;s header is broken</source>
        <translation>灰度图的文件头已损坏</translation>
    </message>
    <message>
        <source>the grey map has 16-bit levels; only 8-bit ones are read</source>
        <translation>灰度图为16位灰阶；只能读取8位灰阶</translation>
    </message>
    <message>
        <source>the grey map is cut short: %1 of %2 bytes</source>
        <translation>灰度图数据不完整：只有%1字节，应为%2字节</translation>
    </message>
</context>
<context>
    <name>ProgressDialogClass</name>
    <message>
        <source>ProgressDialog</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation>请稍候……</translation>
    </message>
</context>
<context>
    <name>RecordFields</name>
    <message>
        <source>%1 takes a whole number from 0 to %2</source>
        <translation>%1 应为0到%2之间的整数</translation>
    </message>
    <message>
        <source>%1 cannot hold a zero byte</source>
        <translation>%1 不能包含零字节</translation>
    </message>
    <message>
        <source>%1 holds at most %2 bytes, &quot;%3&quot; has %4</source>
        <translation>%1 最多容纳%2个字节，&quot;%3&quot;有%4个字节</translation>
    </message>
    <message>
        <source>%1 takes an address like 02:54:56:00:00:01</source>
        <translation>%1 应为形如02:54:56:00:00:01的地址</translation>
    </message>
    <message>
        <source>%1 takes start-stop/type like 08:00-12:00/0 (hours 0 to 24)</source>
        <translation>%1 应为“开始-结束/类型”格式，如08:00-12:00/0（小时为0到24）</translation>
    </message>
</context>
<context>
    <name>Tervix</name>
    <message>
        <source>Batch Set Incomplete!</source>
        <translation>批量配置尚未完成！</translation>
    </message>
    <message>
        <source>Batch Upgrade Incomplete!</source>
        <translation>批量升级尚未完成！</translation>
    </message>
    <message>
        <source>Camera parameters preview unclosed!</source>
        <translation>摄像机参数预览尚未关闭！</translation>
    </message>
    <message>
        <source>Auxiliary zoom preview unclosed!</source>
        <translation>辅助调焦预览尚未关闭！</translation>
    </message>
    <message>
        <source>Warning!</source>
        <translation>警告！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The help pages are missing.</source>
        <translation>找不到帮助页面。</translation>
    </message>
    <message>
        <source>Initializing the cards, please wait...</source>
        <translation>正在初始化板卡，请稍候……</translation>
    </message>
    <message>
        <source>Releasing the cards, please wait...</source>
        <translation>正在释放板卡，请稍候……</translation>
    </message>
    <message>
        <source>Succeed to initialize encoder card!</source>
        <translation>编码卡初始化成功！</translation>
    </message>
    <message>
        <source>Succeed to initialize decode card!</source>
        <translation>解码卡初始化成功！</translation>
    </message>
    <message>
        <source>Failed to initialize decode card</source>
        <translation>解码卡初始化失败</translation>
    </message>
    <message>
        <source>Failed to initialize decode card!</source>
        <translation>解码卡初始化失败！</translation>
    </message>
    <message>
        <source>Failed to initialize encode card</source>
        <translation>编码卡初始化失败</translation>
    </message>
    <message>
        <source>Failed to initialize encode card!</source>
        <translation>编码卡初始化失败！</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Failed to load QUARRY library!</source>
        <translation>加载QUARRY库失败！</translation>
    </message>
    <message>
        <source>Failed to load QUARRY library, Please check the installation of WinPcap!</source>
        <translation>加载QUARRY库失败，请检查WinPcap的安装！</translation>
    </message>
    <message>
        <source>Succeed to load QUARRY library!</source>
        <translation>加载QUARRY库成功！</translation>
    </message>
</context>
<context>
    <name>TervixClass</name>
    <message>
        <source>Tervix</source>
        <translation>Tervix</translation>
    </message>
    <message>
        <source>Default User Information</source>
        <translation>默认用户信息</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Manual Search</source>
        <translation>手动搜索</translation>
    </message>
    <message>
        <source>MD</source>
        <translation>MD</translation>
    </message>
    <message>
        <source>BNC</source>
        <translation>BNC</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;index.html&quot;&gt;Help&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;index.html&quot;&gt;帮助&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Parameter Configuration</source>
        <translation>参数配置</translation>
    </message>
    <message>
        <source>Device List</source>
        <translation>设备列表</translation>
    </message>
    <message>
        <source>Shrink</source>
        <translation>收起</translation>
    </message>
    <message>
        <source>&lt;</source>
        <translation>&lt;</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>展开</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>&gt;</translation>
    </message>
    <message>
        <source>Batch Set</source>
        <translation>批量配置</translation>
    </message>
    <message>
        <source>Batch Upgrade</source>
        <translation>批量升级</translation>
    </message>
    <message>
        <source>Auxiliary Zoom</source>
        <translation>辅助调焦</translation>
    </message>
    <message>
        <source>Lens Selection</source>
        <translation>镜头选型</translation>
    </message>
    <message>
        <source>Operation Information</source>
        <translation>操作信息</translation>
    </message>
</context>
</TS>
