-- SPDX-License-Identifier: GPL-3.0-or-later
-- Cardwise card protocol dissector for Wireshark and tshark 3.6 or later.
--
-- One frame per UDP datagram between the assistant (port 16789) and the cards (port 16788).
-- Every byte is read as the assistant's own frame decoder reads it, and expert information
-- says where that decoder refuses the frame, stops early, or reads something other than what
-- the sender probably meant.
--
--   tshark -X lua_script:cardwise.lua -r capture.pcapng -Y cardwise
--
-- Installed into Wireshark's global Lua plugin folder (`tshark -G folders`) it loads by itself.
-- Only arithmetic, no bit library: the Lua of Wireshark 3.6 is 5.2, that of 4.4 is 5.4.

local proto = Proto("cardwise", "Cardwise Card Protocol")

local PORT_CARD = 16788
local PORT_HOST = 16789
local SYNC = 0xD709D709 -- the first four bytes, read big-endian
local SYNC_SIZE = 4
local HEADER_SIZE = 41
local HEAD_LEN = 37
local ITEM_HEADER_SIZE = 4
local PASSWORD_OFFSET = 19
local PASSWORD_SIZE = 16
local MAC_OFFSET = 35
local DEVICE_ID_SIZE = 48

local command_names = {
    [0x1001] = "Search request (broadcast)",
    [0x2001] = "Search request",
    [0x1002] = "Set request (broadcast)",
    [0x2002] = "Set request",
    [0x1005] = "Device information (broadcast)",
    [0x2005] = "Device information",
    [0x1007] = "Set acknowledgement (broadcast)",
    [0x2007] = "Set acknowledgement",
    [0x0008] = "Error reply",
}

local command_kinds = {
    [0x1001] = "search", [0x2001] = "search",
    [0x1002] = "set", [0x2002] = "set",
    [0x1005] = "info", [0x2005] = "info",
    [0x1007] = "ack", [0x2007] = "ack",
    [0x0008] = "error",
}

-- An identifier means something only together with its command. The names are those of the
-- parameter dialog.
local item_names = {
    info = {
        [1] = "MAC", [2] = "IP Addr", [3] = "Mask", [4] = "Gateway", [5] = "Hw Ver",
        [6] = "Fw Ver", [11] = "DHCP Enable", [12] = "Gridmon Enable",
        [13] = "Gridmon Password", [15] = "HTTP Enable", [16] = "admin password",
        [17] = "HTTP Port", [20] = "SNMP Enable", [21] = "Telnet Enable", [22] = "Telnet Port",
        [23] = "DeviceID",
    },
    set = {
        [1] = "IP Addr", [2] = "Mask", [3] = "Gateway", [11] = "DHCP Enable",
        [12] = "Gridmon Enable", [13] = "Gridmon Password", [15] = "HTTP Enable",
        [17] = "HTTP Port", [20] = "SNMP Enable", [21] = "Telnet Enable", [22] = "Telnet Port",
        [0xFF00] = "Auto Restart",
    },
    ack = { [1] = "IP Addr", [2] = "Mask", [3] = "Gateway" },
    error = { [0xF002] = "Password Error" },
}

-- Items shown as dotted addresses, by command kind: "ip", "mask" or "gateway".
local address_items = {
    info = { [2] = "ip", [3] = "mask", [4] = "gateway" },
    set = { [1] = "ip", [2] = "mask", [3] = "gateway" },
    ack = { [1] = "ip", [2] = "mask", [3] = "gateway" },
}

-- Buffers of device information that hold a text up to a zero byte.
local text_buffers = { [13] = true, [16] = true }

-- Identifiers without which the assistant ignores a reply.
local required_items = {
    info = { 1, 2, 3, 4, 5, 6 },
    ack = { 1, 2, 3 },
}

local type_names = {
    [0] = "invalid", [1] = "char", [2] = "BYTE", [3] = "short", [4] = "WORD", [5] = "int",
    [6] = "UINT", [7] = "long", [8] = "DWORD", [9] = "float", [10] = "double",
    [11] = "string", [12] = "Buffer", [13] = "empty",
}
-- Bytes read for the numeric types; a shorter item reads its missing high bytes as zero.
local type_widths = { [1] = 1, [2] = 1, [3] = 2, [4] = 2, [5] = 4, [6] = 4, [7] = 4, [8] = 4,
    [9] = 4, [10] = 8 }
local signed_types = { [3] = true, [5] = true, [7] = true }

local f = {
    sync = ProtoField.bytes("cardwise.sync", "Sync header", base.SPACE),
    headlen = ProtoField.uint16("cardwise.headlen", "HeadLen"),
    datalen = ProtoField.uint16("cardwise.datalen", "DataLen"),
    order = ProtoField.uint16("cardwise.order", "Order (second)"),
    version = ProtoField.uint8("cardwise.version", "Version (month)"),
    control = ProtoField.uint16("cardwise.control", "Control (minute of the day)"),
    time = ProtoField.string("cardwise.time", "Sender's local time"),
    cmd = ProtoField.uint16("cardwise.cmd", "CommandId", base.HEX, command_names),
    src = ProtoField.uint16("cardwise.src", "SrcAddr"),
    dst = ProtoField.uint16("cardwise.dst", "DestAddr"),
    password_field = ProtoField.bytes("cardwise.password_field", "Password field", base.SPACE),
    password = ProtoField.string("cardwise.password", "Password"),
    key_sum = ProtoField.uint16("cardwise.key.sum", "Header sum"),
    key_text = ProtoField.string("cardwise.key.text", "Identification"),
    key_check = ProtoField.uint16("cardwise.key.check", "Key sum"),
    key_end = ProtoField.bytes("cardwise.key.end", "Key end", base.SPACE),
    mac = ProtoField.ether("cardwise.mac", "MAC"),
    header_extra = ProtoField.bytes("cardwise.header_extra", "Header bytes past 37"),
    item = ProtoField.none("cardwise.item", "Item"),
    item_id = ProtoField.uint16("cardwise.item.id", "ID", base.DEC_HEX),
    item_name = ProtoField.string("cardwise.item.name", "Name"),
    item_type = ProtoField.uint8("cardwise.item.type", "DataType", base.DEC, type_names),
    item_length = ProtoField.uint8("cardwise.item.length", "Length"),
    uint = ProtoField.uint32("cardwise.item.uint", "Value"),
    int = ProtoField.int32("cardwise.item.int", "Value"),
    float = ProtoField.float("cardwise.item.float", "Value"),
    double = ProtoField.double("cardwise.item.double", "Value"),
    text = ProtoField.string("cardwise.item.text", "Value"),
    bytes = ProtoField.bytes("cardwise.item.bytes", "Value", base.SPACE),
    ip = ProtoField.ipv4("cardwise.ip", "IP address"),
    mask = ProtoField.ipv4("cardwise.mask", "Subnet mask"),
    gateway = ProtoField.ipv4("cardwise.gateway", "Default gateway"),
    item_mac = ProtoField.ether("cardwise.item.mac", "MAC"),
    device_id = ProtoField.string("cardwise.item.device_id", "DeviceID"),
    end_mark = ProtoField.bytes("cardwise.end_mark", "End mark", base.SPACE),
    trailer = ProtoField.bytes("cardwise.trailer", "Trailer", base.SPACE),
    unread = ProtoField.bytes("cardwise.unread", "Bytes the assistant does not read"),
}
local field_list = {}
for _, field in pairs(f) do
    field_list[#field_list + 1] = field
end
proto.fields = field_list

-- Expert information: field name, default text, group and severity.
local ex = {}
local expert_list = {}
for key, e in pairs({
    bad_sync = { "cardwise.bad_sync",
        "Wrong sync header: the assistant drops the datagram", "MALFORMED", "ERROR" },
    short_header = { "cardwise.short_header",
        "Shorter than the 41-byte header: the assistant drops the datagram", "MALFORMED", "ERROR" },
    headlen = { "cardwise.headlen.unusual",
        "HeadLen is not 37", "PROTOCOL", "WARN" },
    unknown_command = { "cardwise.cmd.unknown",
        "Unknown command: the assistant ignores the frame", "PROTOCOL", "WARN" },
    cut = { "cardwise.cut",
        "Cut off by the end of the datagram: the assistant stops decoding here", "MALFORMED", "ERROR" },
    past_datalen = { "cardwise.item.past_datalen",
        "Item runs past DataLen", "MALFORMED", "WARN" },
    no_end_mark = { "cardwise.end_mark.missing",
        "No end mark where DataLen ends", "MALFORMED", "WARN" },
    datalen_zero = { "cardwise.datalen.zero",
        "DataLen is 0: the assistant reads no item", "PROTOCOL", "WARN" },
    width = { "cardwise.item.width",
        "Length differs from the width of the type", "PROTOCOL", "WARN" },
    no_zero = { "cardwise.item.no_zero",
        "Text without a zero byte", "PROTOCOL", "NOTE" },
    odd_type = { "cardwise.item.odd_type",
        "Type code read as a Buffer", "PROTOCOL", "NOTE" },
    repeated = { "cardwise.item.repeated",
        "Repeated identifier: this value replaces the earlier one in place", "SEQUENCE", "NOTE" },
    incomplete = { "cardwise.incomplete",
        "Reply lacks identifiers the assistant needs", "PROTOCOL", "WARN" },
    bad_mac_item = { "cardwise.item.mac.bad",
        "MAC item is not a 6-byte Buffer: the card is listed without MAC", "PROTOCOL", "WARN" },
    bad_device_id = { "cardwise.item.device_id.bad",
        "DeviceID is not a 48-byte Buffer: the parameter dialog does not show it", "PROTOCOL", "NOTE" },
    no_password_item = { "cardwise.error.no_password",
        "Error reply without item 0xF002: the status line stays empty", "PROTOCOL", "NOTE" },
    bad_key = { "cardwise.key.bad",
        "Search key does not match the header", "PROTOCOL", "WARN" },
    trailer = { "cardwise.trailer.unusual",
        "Trailer is not 00 00 or is missing", "PROTOCOL", "NOTE" },
    unread = { "cardwise.after_frame",
        "Bytes after the frame", "PROTOCOL", "NOTE" },
}) do
    ex[key] = ProtoExpert.new(e[1], e[2], expert.group[e[3]], expert.severity[e[4]])
    expert_list[#expert_list + 1] = ex[key]
end
proto.experts = expert_list

-- Byte readers over the datagram as a Lua string; offsets count from 0 as on the wire.
local function u8(raw, offset)
    return raw:byte(offset + 1)
end

local function u16(raw, offset)
    return raw:byte(offset + 1) + raw:byte(offset + 2) * 256
end

-- Little-endian number of at most width bytes taken from count available ones.
local function little_endian(raw, offset, count, width)
    local value = 0
    for i = math.min(count, width) - 1, 0, -1 do
        value = value * 256 + raw:byte(offset + i + 1)
    end
    return value
end

-- IEEE 754 little-endian of width 4 or 8 from count available bytes, missing ones zero.
local function ieee(raw, offset, count, width)
    local b = {}
    for i = 1, width do
        b[i] = i <= count and raw:byte(offset + i) or 0
    end
    local exponent_bits = width == 4 and 8 or 11
    local fraction_bits = width * 8 - 1 - exponent_bits
    local sign = b[width] >= 128 and -1 or 1
    local high = (b[width] % 128) * 256 + b[width - 1] -- 15 bits after the sign
    local low_bits = 15 - exponent_bits
    local exponent = math.floor(high / 2 ^ low_bits)
    local fraction = high % 2 ^ low_bits
    for i = width - 2, 1, -1 do
        fraction = fraction * 256 + b[i]
    end
    local bias = 2 ^ (exponent_bits - 1) - 1
    if exponent == 2 ^ exponent_bits - 1 then
        return fraction == 0 and sign * math.huge or 0 / 0
    elseif exponent == 0 then
        return sign * fraction * 2 ^ (1 - bias - fraction_bits)
    end
    return sign * (1 + fraction / 2 ^ fraction_bits) * 2 ^ (exponent - bias)
end

local function mac_text(raw, offset)
    local parts = {}
    for i = 0, 5 do
        parts[#parts + 1] = string.format("%02X", u8(raw, offset + i))
    end
    return table.concat(parts, "-")
end

-- Text up to the first zero byte within count bytes, and whether a zero byte ended it.
local function text_to_zero(raw, offset, count)
    local bytes = raw:sub(offset + 1, offset + count)
    local zero = bytes:find("\0", 1, true)
    if zero then
        return bytes:sub(1, zero - 1), true
    end
    return bytes, false
end

local function plural(n, word)
    return n == 1 and ("1 " .. word) or (n .. " " .. word .. "s")
end

-- The header of a search request carries a key derived from its time and command fields.
local function check_search_key(raw)
    local sum = 0
    for offset = 8, 14 do
        sum = sum + u8(raw, offset)
    end
    local key_sum = 0
    for offset = PASSWORD_OFFSET, PASSWORD_OFFSET + 11 do
        key_sum = key_sum + u8(raw, offset)
    end
    return u16(raw, PASSWORD_OFFSET) == sum % 65536
        and raw:sub(PASSWORD_OFFSET + 3, PASSWORD_OFFSET + 12) == "KOVAL-WERK"
        and u16(raw, PASSWORD_OFFSET + 12) == key_sum % 65536
        and u8(raw, PASSWORD_OFFSET + 14) == 0x00 and u8(raw, PASSWORD_OFFSET + 15) == 0xAA
end

local function add_password_field(tree, tvb, raw, kind)
    local field = tree:add(f.password_field, tvb(PASSWORD_OFFSET, PASSWORD_SIZE))
    if kind == "search" then
        field:set_text("Search key")
        field:add_le(f.key_sum, tvb(PASSWORD_OFFSET, 2))
        field:add(f.key_text, tvb(PASSWORD_OFFSET + 2, 10))
        field:add_le(f.key_check, tvb(PASSWORD_OFFSET + 12, 2))
        field:add(f.key_end, tvb(PASSWORD_OFFSET + 14, 2))
        if not check_search_key(raw) then
            field:add_proto_expert_info(ex.bad_key)
        end
    elseif kind == "set" then
        -- Sixteen characters fill the field without a terminator.
        local text = text_to_zero(raw, PASSWORD_OFFSET, PASSWORD_SIZE)
        field:set_text("Password field")
        field:add(f.password, tvb(PASSWORD_OFFSET, PASSWORD_SIZE), text)
    end
end

local function add_header(tree, tvb, raw)
    tree:add(f.sync, tvb(0, SYNC_SIZE))
    local head_len = u16(raw, 4)
    local head_len_item = tree:add_le(f.headlen, tvb(4, 2))
    if head_len ~= HEAD_LEN then
        head_len_item:add_proto_expert_info(ex.headlen,
            string.format("HeadLen is %d, not 37: the assistant takes the items to start at offset %d",
                head_len, SYNC_SIZE + head_len))
    end
    local data_len_item = tree:add_le(f.datalen, tvb(6, 2))
    local second, month, minute = u16(raw, 8), u8(raw, 10), u16(raw, 11)
    local time = tree:add(f.time, tvb(8, 5),
        string.format("%02d:%02d:%02d, month %d", math.floor(minute / 60), minute % 60, second, month))
    time:add_le(f.order, tvb(8, 2))
    time:add(f.version, tvb(10, 1))
    time:add_le(f.control, tvb(11, 2))
    local command = u16(raw, 13)
    local command_item = tree:add_le(f.cmd, tvb(13, 2))
    tree:add_le(f.src, tvb(15, 2))
    tree:add_le(f.dst, tvb(17, 2))
    local kind = command_kinds[command]
    add_password_field(tree, tvb, raw, kind)
    tree:add(f.mac, tvb(MAC_OFFSET, 6)):set_text("MAC: " .. mac_text(raw, MAC_OFFSET))
    if not kind then
        command_item:add_proto_expert_info(ex.unknown_command,
            string.format("Unknown command 0x%04X: the assistant ignores the frame", command))
    end
    return command, kind, head_len, data_len_item
end

-- Adds the value of one item by its type (and, for some identifiers, by its meaning).
-- Returns the value's text for the item's summary line.
local function add_value(tree, tvb, raw, kind, id, item_type, offset, count)
    local range = tvb(offset, count)
    local width = type_widths[item_type]
    if width then
        if count ~= width then
            tree:add_proto_expert_info(ex.width, string.format(
                "Length %d differs from the %d bytes of %s: missing bytes read as zero, extra ones ignored",
                count, width, type_names[item_type]))
        end
        local address = address_items[kind] and address_items[kind][id]
        if address and item_type ~= 3 and item_type ~= 9 and item_type ~= 10 then
            local octets = {}
            for i = 0, 3 do
                octets[#octets + 1] = i < math.min(count, width) and u8(raw, offset + i) or 0
            end
            local text = table.concat(octets, ".")
            tree:add(f[address], range, Address.ip(text))
            return text
        end
        if item_type == 9 or item_type == 10 then
            local value = ieee(raw, offset, count, width)
            tree:add(item_type == 9 and f.float or f.double, range, value)
            return tostring(value)
        end
        local value = little_endian(raw, offset, count, width)
        if signed_types[item_type] and value >= 2 ^ (8 * width - 1) then
            value = value - 2 ^ (8 * width)
        end
        tree:add(signed_types[item_type] and f.int or f.uint, range, value)
        return string.format("%d", value)
    end
    if item_type == 11 then
        local text, ended = text_to_zero(raw, offset, count)
        tree:add(f.text, range, text)
        if not ended then
            tree:add_proto_expert_info(ex.no_zero)
        end
        return '"' .. text .. '"'
    end
    -- Buffer, and every other code, which the assistant also reads as a Buffer.
    if item_type ~= 12 then
        tree:add_proto_expert_info(ex.odd_type,
            string.format("Type code %d read as a Buffer", item_type))
    end
    if kind == "info" and id == 1 then
        if count == 6 then
            tree:add(f.item_mac, range):set_text("MAC: " .. mac_text(raw, offset))
            return mac_text(raw, offset)
        end
        tree:add_proto_expert_info(ex.bad_mac_item)
    elseif kind == "info" and id == 23 then
        if count == DEVICE_ID_SIZE then
            local text = text_to_zero(raw, offset, count)
            tree:add(f.device_id, range, text)
            return text
        end
        tree:add_proto_expert_info(ex.bad_device_id)
    elseif kind == "info" and text_buffers[id] then
        local text = text_to_zero(raw, offset, count)
        tree:add(f.text, range, text)
        return '"' .. text .. '"'
    end
    tree:add(f.bytes, range)
    return plural(count, "byte")
end

-- Walks the items as the assistant does: from 4 + HeadLen, while DataLen has bytes left,
-- up to the end mark. Returns the items as {id, text} in frame order.
local function add_items(tree, tvb, raw, kind, head_len, data_len_item)
    local size = #raw
    local items = {}
    local seen = {}
    local pos = SYNC_SIZE + head_len
    local budget = u16(raw, 6)
    if head_len > HEAD_LEN and pos <= size then
        tree:add(f.header_extra, tvb(HEADER_SIZE, pos - HEADER_SIZE))
    end
    if budget == 0 then
        data_len_item:add_proto_expert_info(ex.datalen_zero)
    end
    local ended = false
    while budget > 0 do
        if pos + 2 > size then
            tree:add_proto_expert_info(ex.cut, pos > size
                and string.format("The items would start at offset %d, past the end of the datagram", pos)
                or "The datagram ends before the end mark: the assistant stops decoding here")
            return items, size
        end
        if u16(raw, pos) == 0xFFFF then
            tree:add(f.end_mark, tvb(pos, 2))
            ended = true
            break
        end
        if pos + ITEM_HEADER_SIZE > size then
            tree:add_tvb_expert_info(ex.cut, tvb(pos, size - pos),
                "Item header cut off by the end of the datagram: the assistant stops decoding here")
            return items, size
        end
        local id, item_type, length = u16(raw, pos), u8(raw, pos + 2), u8(raw, pos + 3)
        local available = math.min(length, size - pos - ITEM_HEADER_SIZE)
        local item = tree:add(f.item, tvb(pos, ITEM_HEADER_SIZE + available))
        item:add_le(f.item_id, tvb(pos, 2))
        local name = item_names[kind] and item_names[kind][id]
        if name then
            item:add(f.item_name, tvb(pos, 2), name):set_generated()
        end
        item:add(f.item_type, tvb(pos + 2, 1))
        item:add(f.item_length, tvb(pos + 3, 1))
        local label = string.format(id < 256 and "%s (%d)" or "%s (0x%04X)", name or "Item", id)
        if available < length then
            item:set_text(label .. ": cut off")
            item:add_tvb_expert_info(ex.cut, tvb(pos, ITEM_HEADER_SIZE + available), string.format(
                "Value of %d bytes cut off after %d: the assistant stops decoding here", length, available))
            return items, size
        end
        local text = add_value(item, tvb, raw, kind, id, item_type, pos + ITEM_HEADER_SIZE, length)
        item:set_text(string.format("%s: %s (%s)", label, text, type_names[item_type] or "invalid"))
        if seen[id] then
            item:add_proto_expert_info(ex.repeated)
        end
        seen[id] = true
        items[#items + 1] = { id = id, text = text }
        budget = budget - ITEM_HEADER_SIZE - length
        if budget < 0 then
            item:add_proto_expert_info(ex.past_datalen, string.format(
                "Item runs %s past DataLen: the assistant still reads it", plural(-budget, "byte")))
        end
        pos = pos + ITEM_HEADER_SIZE + length
    end
    if not ended then
        if u16(raw, 6) > 0 then
            tree:add_proto_expert_info(ex.no_end_mark,
                "No end mark where DataLen ends: the assistant stops reading here")
        end
        return items, pos
    end
    pos = pos + 2
    if pos + 2 <= size and u16(raw, pos) == 0 then
        tree:add(f.trailer, tvb(pos, 2))
        pos = pos + 2
    else
        tree:add_proto_expert_info(ex.trailer)
    end
    return items, pos
end

-- What the assistant makes of the items: replies it ignores, and the gist for the Info column.
local function summarise(tree, raw, command, kind, items)
    local present = {}
    local first_text = {}
    for _, item in ipairs(items) do
        present[item.id] = true
        first_text[item.id] = first_text[item.id] or item.text
    end
    local required = required_items[kind]
    if required and #items > 0 then
        local missing = {}
        for _, id in ipairs(required) do
            if not present[id] then
                missing[#missing + 1] = tostring(id)
            end
        end
        if #missing > 0 then
            tree:add_proto_expert_info(ex.incomplete, string.format(
                "Without item %s the assistant ignores this reply", table.concat(missing, ", ")))
        end
    end
    local mac = mac_text(raw, MAC_OFFSET)
    if kind == "search" then
        return "Search request"
    elseif kind == "set" then
        return string.format("Set request to %s (%s)", mac, plural(#items, "item"))
    elseif kind == "info" then
        local ip = present[2] and (" " .. first_text[2]) or ""
        return string.format("Device information %s%s", mac, ip)
    elseif kind == "ack" then
        local ip = present[1] and (" " .. first_text[1]) or ""
        return string.format("Set acknowledgement from %s%s", mac, ip)
    elseif kind == "error" then
        if present[0xF002] then
            return "Error reply: password"
        end
        tree:add_proto_expert_info(ex.no_password_item)
        return "Error reply"
    end
    return string.format("Unknown command 0x%04X", command)
end

function proto.dissector(tvb, pinfo, root)
    local size = tvb:len()
    local raw = tvb:raw(0, size)
    pinfo.cols.protocol = "Cardwise"
    local tree = root:add(proto, tvb())
    if size < SYNC_SIZE or tvb(0, SYNC_SIZE):uint() ~= SYNC then
        tree:add_proto_expert_info(ex.bad_sync)
        pinfo.cols.info = "Wrong sync header"
        return size
    end
    if size < HEADER_SIZE then
        tree:add(f.sync, tvb(0, SYNC_SIZE))
        tree:add_proto_expert_info(ex.short_header,
            string.format("%d bytes, shorter than the 41-byte header: the assistant drops the datagram", size))
        pinfo.cols.info = "Frame shorter than its header"
        return size
    end
    local command, kind, head_len, data_len_item = add_header(tree, tvb, raw)
    local items, used = add_items(tree, tvb, raw, kind, head_len, data_len_item)
    -- A HeadLen under 37 starts the items inside the header, but the header itself is read.
    used = math.max(used, HEADER_SIZE)
    if used < size then
        tree:add(f.unread, tvb(used, size - used))
        tree:add_proto_expert_info(ex.unread, string.format("%s after the frame", plural(size - used, "byte")))
    end
    local info = summarise(tree, raw, command, kind, items)
    tree:append_text(", " .. info)
    pinfo.cols.info = info
    return size
end

-- Any UDP datagram that starts with the sync bytes, whatever its ports.
local function heuristic(tvb, pinfo, root)
    if tvb:len() < SYNC_SIZE or tvb(0, SYNC_SIZE):uint() ~= SYNC then
        return false
    end
    proto.dissector(tvb, pinfo, root)
    return true
end

local udp_port = DissectorTable.get("udp.port")
udp_port:add(PORT_CARD, proto)
udp_port:add(PORT_HOST, proto)
proto:register_heuristic("udp", heuristic)
