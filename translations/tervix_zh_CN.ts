<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
        <translation type="unfinished"></translation>
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
        <source>--seconds takes a number from 1 to 3600</source>
        <translation type="unfinished"></translation>
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
        <source>the discovery library refused the arguments</source>
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
        <source>readdress needs the MAC of the device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--ip takes a dotted IPv4 address, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--mask takes a subnet mask such as 255.255.255.0, not &quot;%1&quot;</source>
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
        <source>lists the devices that announce themselves within N seconds (3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAC --ip ADDRESS --mask MASK [--port N]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>moves a device to a new address and SDK port by its MAC, proving the password</source>
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
        <source>--channel takes a number from 0 to 255</source>
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
        <source>--buffer takes a size from 1 to %1</source>
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
        <source>print the camera or device ability text (--buffer=BYTES to start with)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list the device&apos;s PTZ protocols</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>usage: tervix-cli COMMAND ARGUMENTS [--port N] [--user NAME] [--password TEXT] [--timeout MS] [--json]</source>
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
        <source>%1 does not take the option --%2</source>
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
        <source>option --%1 needs a value</source>
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
        <source>--json takes no value</source>
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
        <source>&quot;%1&quot; or &quot;%2&quot; is not an IPv4 address</source>
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
        <source>the search could not be started</source>
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
        <source>Device name exceeds maximum length!</source>
        <translation type="unfinished">设备名称超过最大长度！</translation>
    </message>
    <message>
        <source>&quot;%1&quot; names a device listed before</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HOST --ip ADDRESS --mask MASK [--gateway ADDRESS] [--name TEXT] [--port N] | --start-ip ADDRESS --mask MASK [--gateway ADDRESS] [--port N] HOST...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>changes the address, mask, SDK port (--port), gateway and name of a device, or moves several to consecutive addresses from --start-ip; HOST is ADDRESS[:PORT] (reached with --user/--password) or the MAC of an announced device</source>
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
