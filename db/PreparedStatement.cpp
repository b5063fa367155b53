#include "db/PreparedStatement.h"

#include "db/FbClient.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace Firebird;

namespace {

// ISC dates count days from 1858-11-17; date-times here count from 1899-12-30.
constexpr int kDateOffset = 15018;
constexpr double kTimeUnitsPerDay = 86400.0 * ISC_TIME_SECONDS_PRECISION;

void EncodeTimestamp(datetime::TDateTime dt, ISC_TIMESTAMP& ts) {
    double day = std::floor(dt);
    auto units = static_cast<long long>(std::llround((dt - day) * kTimeUnitsPerDay));
    if (units >= static_cast<long long>(kTimeUnitsPerDay)) {
        day += 1;
        units = 0;
    }
    ts.timestamp_date = static_cast<ISC_DATE>(day) + kDateOffset;
    ts.timestamp_time = static_cast<ISC_TIME>(units);
}

datetime::TDateTime DecodeDate(ISC_DATE date) {
    return static_cast<double>(date - kDateOffset);
}

datetime::TDateTime DecodeTime(ISC_TIME time) {
    return time / kTimeUnitsPerDay;
}

DbValue Scaled(std::int64_t value, int scale) {
    if (scale == 0) return DbValue::Integer(value);
    return DbValue::Float(static_cast<double>(value) * std::pow(10.0, scale));
}

} // namespace

struct PreparedStatement::Input {
    FbHandle<IMessageMetadata> meta;
    std::vector<unsigned char> buffer;
};

PreparedStatement::PreparedStatement(IAttachment* attachment, ITransaction* transaction,
                                     const std::string& sql, ConnectionUse& use)
    : attachment_(attachment), use_(use), sql_(sql) {
    use_.Call(
        1,
        [&](ThrowStatusWrapper& st) {
            statement_.reset(attachment_->prepare(&st, transaction, 0, sql.c_str(), SQL_DIALECT_V6,
                                                  IStatement::PREPARE_PREFETCH_METADATA));
            type_ = statement_->getType(&st);
            inMeta_.reset(statement_->getInputMetadata(&st));
            outMeta_.reset(statement_->getOutputMetadata(&st));
            inputCount_ = inMeta_->getCount(&st);
            unsigned count = outMeta_->getCount(&st);
            for (unsigned i = 0; i < count; ++i) {
                std::string name = outMeta_->getAlias(&st, i);
                if (name.empty()) name = outMeta_->getField(&st, i);
                // Read as nothing, an array column would pass for NULL.
                if (outMeta_->getType(&st, i) == SQL_ARRAY)
                    throw DbError("The column " + name +
                                  " is an array, which cannot be read: " + sql);
                // Two columns of one name: the later ones get a number, so each can be found.
                std::string unique = name;
                for (int n = 1;; ++n) {
                    bool taken = false;
                    for (const std::string& c : columns_)
                        taken = taken || c == unique;
                    if (!taken) break;
                    unique = name + "_" + std::to_string(n);
                }
                columns_.push_back(unique);
            }
        },
        sql);
}

PreparedStatement::~PreparedStatement() {
    if (use_.Lost) FbClient::Ended(statement_);
}

bool PreparedStatement::IsSelect() const {
    return type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd;
}

PreparedStatement::Input
PreparedStatement::BuildInput(const std::vector<const DbValue*>& inputs) const {
    if (inputs.size() != inputCount_)
        throw DbError("The statement has " + std::to_string(inputCount_) + " parameter(s), " +
                      std::to_string(inputs.size()) + " given: " + sql_);
    Input in;
    if (inputCount_ == 0) return in;
    FbClient::Call([&](ThrowStatusWrapper& st) {
        FbHandle<IMetadataBuilder> builder(inMeta_->getBuilder(&st));
        for (unsigned i = 0; i < inputCount_; ++i) {
            const DbValue& v = *inputs[i];
            unsigned original = inMeta_->getType(&st, i);
            switch (v.GetKind()) {
            case DbValue::Kind::Null:
                break;
            case DbValue::Kind::Text: {
                std::string text = v.AsString();
                if (text.size() > 32765)
                    throw DbError("A text parameter of " + std::to_string(text.size()) +
                                  " bytes is too long");
                builder->setType(&st, i, SQL_VARYING + 1);
                builder->setSubType(&st, i, 0);
                builder->setScale(&st, i, 0);
                builder->setLength(&st, i, text.empty() ? 1 : static_cast<unsigned>(text.size()));
                if (original != SQL_TEXT && original != SQL_VARYING) builder->setCharSet(&st, i, 0);
                break;
            }
            case DbValue::Kind::Integer:
                builder->setType(&st, i, SQL_INT64 + 1);
                builder->setSubType(&st, i, 0);
                builder->setScale(&st, i, 0);
                builder->setLength(&st, i, sizeof(ISC_INT64));
                break;
            case DbValue::Kind::Float:
                builder->setType(&st, i, SQL_DOUBLE + 1);
                builder->setSubType(&st, i, 0);
                builder->setScale(&st, i, 0);
                builder->setLength(&st, i, sizeof(double));
                break;
            case DbValue::Kind::DateTime:
                builder->setType(&st, i, SQL_TIMESTAMP + 1);
                builder->setSubType(&st, i, 0);
                builder->setScale(&st, i, 0);
                builder->setLength(&st, i, sizeof(ISC_TIMESTAMP));
                break;
            }
        }
        in.meta.reset(builder->getMetadata(&st));
        in.buffer.assign(in.meta->getMessageLength(&st), 0);
        for (unsigned i = 0; i < inputCount_; ++i) {
            const DbValue& v = *inputs[i];
            unsigned char* data = in.buffer.data() + in.meta->getOffset(&st, i);
            auto* nullFlag =
                reinterpret_cast<short*>(in.buffer.data() + in.meta->getNullOffset(&st, i));
            *nullFlag = v.IsNull() ? -1 : 0;
            switch (v.GetKind()) {
            case DbValue::Kind::Null:
                break;
            case DbValue::Kind::Text: {
                std::string text = v.AsString();
                auto length = static_cast<ISC_USHORT>(text.size());
                std::memcpy(data, &length, sizeof(length));
                std::memcpy(data + sizeof(length), text.data(), text.size());
                break;
            }
            case DbValue::Kind::Integer: {
                ISC_INT64 value = v.AsInt64();
                std::memcpy(data, &value, sizeof(value));
                break;
            }
            case DbValue::Kind::Float: {
                double value = v.AsFloat();
                std::memcpy(data, &value, sizeof(value));
                break;
            }
            case DbValue::Kind::DateTime: {
                ISC_TIMESTAMP ts;
                EncodeTimestamp(v.AsDateTime(), ts);
                std::memcpy(data, &ts, sizeof(ts));
                break;
            }
            }
        }
    });
    return in;
}

PreparedStatement::Row PreparedStatement::ReadRow(ITransaction* transaction,
                                                  const unsigned char* buffer) const {
    Row row;
    row.reserve(columns_.size());
    FbClient::Call([&](ThrowStatusWrapper& st) {
        for (unsigned i = 0; i < columns_.size(); ++i) {
            const unsigned char* data = buffer + outMeta_->getOffset(&st, i);
            short nullFlag;
            std::memcpy(&nullFlag, buffer + outMeta_->getNullOffset(&st, i), sizeof(nullFlag));
            if (nullFlag) {
                row.emplace_back();
                continue;
            }
            int scale = outMeta_->getScale(&st, i);
            switch (outMeta_->getType(&st, i)) {
            case SQL_TEXT:
                row.push_back(DbValue::Text(
                    std::string(reinterpret_cast<const char*>(data), outMeta_->getLength(&st, i))));
                break;
            case SQL_VARYING: {
                ISC_USHORT length;
                std::memcpy(&length, data, sizeof(length));
                row.push_back(DbValue::Text(
                    std::string(reinterpret_cast<const char*>(data + sizeof(length)), length)));
                break;
            }
            case SQL_SHORT: {
                ISC_SHORT v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(Scaled(v, scale));
                break;
            }
            case SQL_LONG: {
                ISC_LONG v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(Scaled(v, scale));
                break;
            }
            case SQL_INT64: {
                ISC_INT64 v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(Scaled(v, scale));
                break;
            }
            case SQL_FLOAT: {
                float v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(DbValue::Float(v));
                break;
            }
            case SQL_DOUBLE:
            case SQL_D_FLOAT: {
                double v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(DbValue::Float(v));
                break;
            }
            case SQL_TYPE_DATE: {
                ISC_DATE v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(DbValue::DateTime(DecodeDate(v)));
                break;
            }
            case SQL_TYPE_TIME: {
                ISC_TIME v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(DbValue::DateTime(DecodeTime(v)));
                break;
            }
            case SQL_TIMESTAMP: {
                ISC_TIMESTAMP v;
                std::memcpy(&v, data, sizeof(v));
                row.push_back(
                    DbValue::DateTime(DecodeDate(v.timestamp_date) + DecodeTime(v.timestamp_time)));
                break;
            }
            case SQL_BOOLEAN:
                row.push_back(DbValue::Integer(*data ? 1 : 0));
                break;
            case SQL_BLOB:
                row.push_back(ReadBlob(transaction, data));
                break;
            default:
                row.emplace_back();
                break;
            }
        }
    });
    return row;
}

DbValue PreparedStatement::ReadBlob(ITransaction* transaction, const void* blobId) const {
    ISC_QUAD id;
    std::memcpy(&id, blobId, sizeof(id));
    std::string content;
    use_.Call(
        2,
        [&](ThrowStatusWrapper& st) {
            FbHandle<IBlob> blob(attachment_->openBlob(&st, transaction, &id, 0, nullptr));
            char chunk[8192];
            for (;;) {
                unsigned got = 0;
                int rc = blob->getSegment(&st, sizeof(chunk), chunk, &got);
                if (rc == IStatus::RESULT_OK || rc == IStatus::RESULT_SEGMENT)
                    content.append(chunk, got);
                else
                    break;
            }
            blob->close(&st);
            FbClient::Ended(blob);
        },
        sql_);
    return DbValue::Text(std::move(content));
}

std::vector<PreparedStatement::Row>
PreparedStatement::Fetch(ITransaction* transaction, const std::vector<const DbValue*>& inputs) {
    std::vector<Row> rows;
    if (!IsSelect()) {
        // A procedure call (or a statement with RETURNING) gives at most one row.
        Row row;
        Execute(transaction, inputs, &row);
        if (!columns_.empty()) rows.push_back(std::move(row));
        return rows;
    }
    Input in = BuildInput(inputs);
    const unsigned length =
        FbClient::Call([&](ThrowStatusWrapper& st) { return outMeta_->getMessageLength(&st); });
    const std::size_t batch = std::clamp(4 * 32768 / (length + 12), 10u, 1000u);
    std::vector<unsigned char> buffer(length);
    FbHandle<IResultSet> cursor;
    // Each call takes one batch of rows; the first one carries the open.
    bool more = true;
    while (more)
        use_.Call(
            1,
            [&](ThrowStatusWrapper& st) {
                if (!cursor)
                    cursor.reset(statement_->openCursor(
                        &st, transaction, in.meta.get(),
                        in.buffer.empty() ? nullptr : in.buffer.data(), outMeta_.get(), 0));
                for (std::size_t n = 0; n < batch; ++n)
                    if (cursor->fetchNext(&st, buffer.data()) == IStatus::RESULT_OK) {
                        rows.push_back(ReadRow(transaction, buffer.data()));
                    } else {
                        more = false;
                        cursor->close(&st);
                        FbClient::Ended(cursor);
                        return;
                    }
            },
            sql_);
    return rows;
}

long PreparedStatement::Execute(ITransaction* transaction,
                                const std::vector<const DbValue*>& inputs, Row* outputs) {
    Input in = BuildInput(inputs);
    use_.Call(
        1,
        [&](ThrowStatusWrapper& st) {
            std::vector<unsigned char> buffer(outMeta_->getMessageLength(&st));
            bool withOutput = !columns_.empty() && !IsSelect();
            lastRun_ = use_.RoundTrips;
            statement_->execute(
                &st, transaction, in.meta.get(), in.buffer.empty() ? nullptr : in.buffer.data(),
                withOutput ? outMeta_.get() : nullptr, withOutput ? buffer.data() : nullptr);
            if (withOutput && outputs) *outputs = ReadRow(transaction, buffer.data());
        },
        sql_);
    return lastRun_;
}

unsigned PreparedStatement::AffectedRecords() {
    return use_.Call(
        1,
        [&](ThrowStatusWrapper& st) {
            return static_cast<unsigned>(statement_->getAffectedRecords(&st));
        },
        sql_);
}
