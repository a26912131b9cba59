<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Cardwise</name>
    <message>
        <source>IP Addr(Act)</source>
        <translation>IP地址(实际)</translation>
    </message>
    <message>
        <source>IP Addr(Set)</source>
        <translation>IP地址(设置)</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC地址</translation>
    </message>
    <message>
        <source>Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>HwVer</source>
        <translation>硬件版本</translation>
    </message>
    <message>
        <source>FwVer</source>
        <translation>固件版本</translation>
    </message>
    <message>
        <source>IP Addr</source>
        <translation>IP地址</translation>
    </message>
    <message>
        <source>Start Addr</source>
        <translation>起始地址</translation>
    </message>
    <message>
        <source>End  Addr</source>
        <translation>结束地址</translation>
    </message>
    <message>
        <source>Scanning Device....</source>
        <translation>正在搜索设备....</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>must input the param</source>
        <translation>必须输入参数</translation>
    </message>
    <message>
        <source>Scanning Device  Finished</source>
        <translation>搜索设备完成</translation>
    </message>
    <message>
        <source>Waitting for device restart...</source>
        <translation>正在等待设备重启...</translation>
    </message>
    <message>
        <source>Send setting request to device.........</source>
        <translation>正在向设备发送设置请求.........</translation>
    </message>
    <message>
        <source>setting request is accessed</source>
        <translation>设置请求已被接受</translation>
    </message>
    <message>
        <source>Password Error</source>
        <translation>密码错误</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>ParamName</source>
        <translation>参数名称</translation>
    </message>
    <message>
        <source>ParamValue</source>
        <translation>参数值</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>备注</translation>
    </message>
    <message>
        <source>Hw Ver</source>
        <translation>硬件版本</translation>
    </message>
    <message>
        <source>Fw Ver</source>
        <translation>固件版本</translation>
    </message>
    <message>
        <source>DHCP Enable</source>
        <translation>启用DHCP</translation>
    </message>
    <message>
        <source>Gridmon Enable</source>
        <translation>启用Gridmon连接</translation>
    </message>
    <message>
        <source>Gridmon Password</source>
        <translation>Gridmon密码</translation>
    </message>
    <message>
        <source>HTTP Enable</source>
        <translation>启用HTTP</translation>
    </message>
    <message>
        <source>admin password</source>
        <translation>管理员密码</translation>
    </message>
    <message>
        <source>HTTP Port</source>
        <translation>HTTP端口</translation>
    </message>
    <message>
        <source>SNMP Enable</source>
        <translation>启用SNMP</translation>
    </message>
    <message>
        <source>Telnet Enable</source>
        <translation>启用Telnet</translation>
    </message>
    <message>
        <source>Telnet Port</source>
        <translation>Telnet端口</translation>
    </message>
    <message>
        <source>DeviceID</source>
        <translation>设备ID</translation>
    </message>
    <message>
        <source>Read only</source>
        <translation>只读</translation>
    </message>
    <message>
        <source>0:Manual;1:DHCP</source>
        <translation>0:手动;1:DHCP</translation>
    </message>
    <message>
        <source>0:Disable;1:Enabled</source>
        <translation>0:禁用;1:启用</translation>
    </message>
    <message>
        <source>default:KOVAL-WERK</source>
        <translation>默认:KOVAL-WERK</translation>
    </message>
    <message>
        <source>default:80</source>
        <translation>默认:80</translation>
    </message>
    <message>
        <source>default:23</source>
        <translation>默认:23</translation>
    </message>
    <message>
        <source>Read-only parameter, can not be modified</source>
        <translation>只读参数,不能修改</translation>
    </message>
    <message>
        <source>Warnning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The IpAddr or Mask is invalid</source>
        <translation>IP地址或子网掩码无效</translation>
    </message>
    <message>
        <source>The Gateway is invalid</source>
        <translation>网关无效</translation>
    </message>
    <message>
        <source>%1: '%2' is not an address; type four numbers from 0 to 255 without leading zeros, such as 192.168.1.10</source>
        <translation>%1：“%2”不是有效地址；请输入四个 0 到 255 之间的数字，不要以 0 开头，例如 192.168.1.10</translation>
    </message>
    <message>
        <source>The Gridmon Password is too long</source>
        <translation>Gridmon 密码太长</translation>
    </message>
    <message>
        <source>UPS Vantor Assistant</source>
        <translation>UPS Vantor 设置助手</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>本地网络</translation>
    </message>
    <message>
        <source>Subnet</source>
        <translation>指定子网</translation>
    </message>
    <message>
        <source>IP Addr:</source>
        <translation>IP地址:</translation>
    </message>
    <message>
        <source>MASK:</source>
        <translation>子网掩码:</translation>
    </message>
    <message>
        <source>Searched Device</source>
        <translation>搜索到的设备</translation>
    </message>
    <message>
        <source>Process Status</source>
        <translation>处理状态</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>网页</translation>
    </message>
    <message>
        <source>IpConfig</source>
        <translation>IP配置</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>OPTION</source>
        <translation>参数设置</translation>
    </message>
    <message>
        <source>Param</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>Auto Retart</source>
        <translation>自动重启</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>密码:</translation>
    </message>
    <message>
        <source>Must enter the password</source>
        <translation>必须输入密码</translation>
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
        <source>Param Edit</source>
        <translation>参数编辑</translation>
    </message>
    <message>
        <source>Param Info</source>
        <translation>参数信息</translation>
    </message>
    <message>
        <source>Param name:</source>
        <translation>参数名称:</translation>
    </message>
    <message>
        <source>Original data:</source>
        <translation>原始数据:</translation>
    </message>
    <message>
        <source>Set data:</source>
        <translation>设置数据:</translation>
    </message>
    <message>
        <source>Range</source>
        <translation>指定网段</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Adapter</source>
        <translation>网卡</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>备注</translation>
    </message>
    <message>
        <source>Other subnet</source>
        <translation>其他网段</translation>
    </message>
    <message>
        <source>Address conflict</source>
        <translation>地址冲突</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>The card's address is in none of the subnets of the adapter that found it, so this PC cannot reach it by that address. Give it an address of the adapter's subnet with Setup, or give the adapter an address of the card's subnet.</source>
        <translation>该卡的地址不在发现它的网卡的任何网段中，本机无法通过该地址访问它。请用“设置”给它分配该网卡网段的地址，或给网卡添加该卡网段的地址。</translation>
    </message>
    <message>
        <source>Another card, or this PC, has the same address. Give each card an address of its own with Setup.</source>
        <translation>另一张卡或本机使用了相同的地址。请用“设置”为每张卡分配各自的地址。</translation>
    </message>
    <message>
        <source>The card takes its address from a DHCP server, so its address may change. Reserve an address for its MAC on the DHCP server, or give it a fixed address with Setup.</source>
        <translation>该卡从 DHCP 服务器获取地址，其地址可能会变化。请在 DHCP 服务器上为其 MAC 保留地址，或用“设置”为它分配固定地址。</translation>
    </message>
    <message>
        <source>Scanning %1 – %2: %3 of %4</source>
        <translation>正在扫描 %1 – %2：%3 / %4</translation>
    </message>
    <message>
        <source>Stopped: %1 of %2 requests sent</source>
        <translation>已停止：已发送 %1 / %2 个请求</translation>
    </message>
    <message>
        <source>The end address %1 is below the start address %2.</source>
        <translation>结束地址 %1 小于起始地址 %2。</translation>
    </message>
    <message>
        <source>%1 – %2 holds %3 addresses; one sweep covers at most 65536.</source>
        <translation>%1 – %2 共 %3 个地址，一次扫描最多 65536 个。</translation>
    </message>
    <message>
        <source>%1 is in none of the subnets of adapter %2, so this PC cannot reach it. Give the card an address of that subnet with Setup first.</source>
        <translation>%1 不在网卡 %2 的任何网段中，本机无法访问它。请先用“设置”给该卡分配该网段的地址。</translation>
    </message>
    <message>
        <source>Range Sweep Rate...</source>
        <translation>指定网段扫描速率...</translation>
    </message>
    <message>
        <source>Range Sweep Rate</source>
        <translation>指定网段扫描速率</translation>
    </message>
    <message>
        <source>Requests per second of a range sweep:</source>
        <translation>指定网段扫描每秒请求数：</translation>
    </message>
    <message>
        <source>Save List...</source>
        <translation>保存列表...</translation>
    </message>
    <message>
        <source>Compare with Saved List...</source>
        <translation>与已保存列表比较...</translation>
    </message>
    <message>
        <source>Save List</source>
        <translation>保存列表</translation>
    </message>
    <message>
        <source>Compare with Saved List</source>
        <translation>与已保存列表比较</translation>
    </message>
    <message>
        <source>Device lists (*.json *.csv)</source>
        <translation>设备列表 (*.json *.csv)</translation>
    </message>
    <message>
        <source>Device lists (*.json)</source>
        <translation>设备列表 (*.json)</translation>
    </message>
    <message>
        <source>%1 card(s) saved</source>
        <translation>已保存 %1 个设备</translation>
    </message>
    <message>
        <source>%1 new, %2 missing, %3 changed</source>
        <translation>新增 %1 个，缺失 %2 个，变更 %3 个</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新增</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>缺失</translation>
    </message>
    <message>
        <source>Changed (%1)</source>
        <translation>已变更（%1）</translation>
    </message>
    <message>
        <source>card %1</source>
        <translation>第 %1 个设备</translation>
    </message>
    <message>
        <source>%1: not an object</source>
        <translation>%1：不是 JSON 对象</translation>
    </message>
    <message>
        <source>%1: "mac" is not a MAC address such as 00-1A-2B-3C-4D-5E</source>
        <translation>%1："mac" 不是 MAC 地址，应类似 00-1A-2B-3C-4D-5E</translation>
    </message>
    <message>
        <source>%1: "%2" is not a whole number from 1 to %3</source>
        <translation>%1："%2" 不是 1 到 %3 之间的整数</translation>
    </message>
    <message>
        <source>%1: "%2" is not a text</source>
        <translation>%1："%2" 不是文本</translation>
    </message>
    <message>
        <source>%1: "%2" is longer than %3 characters</source>
        <translation>%1："%2" 超过 %3 个字符</translation>
    </message>
    <message>
        <source>%1: "notes" is not a list of short texts</source>
        <translation>%1："notes" 不是短文本列表</translation>
    </message>
    <message>
        <source>%1: MAC %2 is listed twice (card %3 has it too)</source>
        <translation>%1：MAC %2 重复出现（第 %3 个设备也是它）</translation>
    </message>
    <message>
        <source>not JSON: %1 at line %2, column %3</source>
        <translation>不是 JSON：%1，位于第 %2 行第 %3 列</translation>
    </message>
    <message>
        <source>not a saved device list: it has no "devices" list at the top</source>
        <translation>不是已保存的设备列表：顶层没有 "devices" 列表</translation>
    </message>
    <message>
        <source>%1: cannot be read: %2</source>
        <translation>%1：无法读取：%2</translation>
    </message>
    <message>
        <source>%1: larger than %2 bytes, so no saved device list</source>
        <translation>%1：大于 %2 字节，不是已保存的设备列表</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1：无法写入：%2</translation>
    </message>
    <message>
        <source>Batch Setup...</source>
        <translation>批量设置...</translation>
    </message>
    <message>
        <source>Batch Setup</source>
        <translation>批量设置</translation>
    </message>
    <message>
        <source>Cards</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全选</translation>
    </message>
    <message>
        <source>None</source>
        <translation>全不选</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>修改</translation>
    </message>
    <message>
        <source>Load Plan...</source>
        <translation>载入计划...</translation>
    </message>
    <message>
        <source>Load Plan</source>
        <translation>载入计划</translation>
    </message>
    <message>
        <source>Plans (*.csv *.json)</source>
        <translation>计划文件 (*.csv *.json)</translation>
    </message>
    <message>
        <source>Auto Restart</source>
        <translation>自动重启</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>执行</translation>
    </message>
    <message>
        <source>Save Results...</source>
        <translation>保存结果...</translation>
    </message>
    <message>
        <source>Save Results</source>
        <translation>保存结果</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Problem</source>
        <translation>问题</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>修改内容</translation>
    </message>
    <message>
        <source>%1 more problems</source>
        <translation>另有 %1 个问题</translation>
    </message>
    <message>
        <source>planned</source>
        <translation>已计划</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>发送中</translation>
    </message>
    <message>
        <source>acknowledged</source>
        <translation>已确认</translation>
    </message>
    <message>
        <source>restarting</source>
        <translation>重启中</translation>
    </message>
    <message>
        <source>reading back</source>
        <translation>回读中</translation>
    </message>
    <message>
        <source>(reads %1)</source>
        <translation>（读回 %1）</translation>
    </message>
    <message>
        <source>verified</source>
        <translation>已验证</translation>
    </message>
    <message>
        <source>not-applied</source>
        <translation>未生效</translation>
    </message>
    <message>
        <source>password-rejected</source>
        <translation>密码被拒绝</translation>
    </message>
    <message>
        <source>no-answer</source>
        <translation>无应答</translation>
    </message>
    <message>
        <source>not-found</source>
        <translation>未找到</translation>
    </message>
    <message>
        <source>Plan: %1</source>
        <translation>计划：%1</translation>
    </message>
    <message>
        <source>Plan refused, nothing sent: %1 problem(s)</source>
        <translation>计划被拒绝，未发送任何内容：%1 个问题</translation>
    </message>
    <message>
        <source>%1 card(s) planned, %2 not found</source>
        <translation>已计划 %1 个设备，%2 个未找到</translation>
    </message>
    <message>
        <source>Sending: %1 of %2 card(s) answered</source>
        <translation>正在发送：%1 / %2 个设备已应答</translation>
    </message>
    <message>
        <source>Waiting for the cards to restart</source>
        <translation>正在等待设备重启</translation>
    </message>
    <message>
        <source>Reading the values back</source>
        <translation>正在回读参数</translation>
    </message>
    <message>
        <source>Type the cards' password: nothing was sent</source>
        <translation>请输入设备密码：未发送任何内容</translation>
    </message>
    <message>
        <source>A search runs: wait for its end</source>
        <translation>正在搜索：请等待搜索结束</translation>
    </message>
</context>
</TS>
