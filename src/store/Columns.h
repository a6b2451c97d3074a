#pragma once

// Column names of the register's tables, as the statements and record sets spell them.
namespace col {

// Sensors: one row per sensor.
inline constexpr char InstrumentID[] = "InstrumentID";
inline constexpr char SensorType[] = "SensorType";
inline constexpr char DateID[] = "DateID";
inline constexpr char TypeID[] = "TypeID";
inline constexpr char SensorNo[] = "SensorNo";
inline constexpr char Family[] = "Family";
inline constexpr char Model[] = "Model";
inline constexpr char LengthofCable[] = "LengthofCable";
inline constexpr char Level[] = "Level";
inline constexpr char Location[] = "Location";
inline constexpr char Borehole[] = "Borehole";
inline constexpr char InstallDate[] = "InstallDate";
inline constexpr char InstallBy[] = "InstallBy";
inline constexpr char Purpose[] = "Purpose";
inline constexpr char Notes[] = "Notes";
inline constexpr char HeadLocation[] = "HeadLocation";
inline constexpr char Recess[] = "Recess";
inline constexpr char Plate[] = "Plate";
inline constexpr char kval[] = "kval";
inline constexpr char Destroyed[] = "Destroyed";
inline constexpr char DestructionDate[] = "DestructionDate";

// A sensor's readings table: one row per reading.
inline constexpr char DateTimeKey[] = "DateTimeKey";
inline constexpr char FullDate[] = "FullDate";
inline constexpr char ReadingDate[] = "ReadingDate";
inline constexpr char ReadingTime[] = "ReadingTime";
inline constexpr char ChannelT[] = "ChannelT";
inline constexpr char NumTemp[] = "NumTemp";
inline constexpr char Reference[] = "Reference";
inline constexpr char IsDirty[] = "IsDirty";
inline constexpr char PlotSpatial[] = "PlotSpatial";
inline constexpr char Plottemporal[] = "Plottemporal";

// NetworkConfig: the sensor of each logger channel.
inline constexpr char SensorID[] = "SensorID";

} // namespace col
