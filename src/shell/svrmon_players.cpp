// The Server Monitor's player table and the actions on its players. Every
// command goes through the monitor's one request path, with its password
// and to its server's port.

#include "maps/mapsources.h"
#include "monitor/playertablemodel.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "shell/messagebox.h"
#include "shell/svrmon.h"
#include "store/settingstable.h"
#include "ui_svrmon.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QUdpSocket>
#include <QVBoxLayout>

namespace {

// Long enough for the pieces of one reply, which the server sends back to
// back; short enough that the table follows each poll at once.
constexpr int statusSettleMs = 100;

QString playerText(const PlayerRow &player)
{
    return QStringLiteral("%1 (%2)").arg(player.shownName()).arg(player.number);
}

} // namespace

void SvrMon::setUpPlayers()
{
    players = new PlayerTableModel(this);
    for (const ReplySource source : {Polled, Own}) {
        statusSettle[source] = new QTimer(this);
        statusSettle[source]->setSingleShot(true);
        statusSettle[source]->setInterval(statusSettleMs);
        connect(
            statusSettle[source], &QTimer::timeout, this, [this, source] { showPlayers(source); });
    }

    QTableView *table = ui->playerTable;
    table->setModel(players);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    // Widths fixed once: fitting them to the contents on every poll would
    // measure every row each time.
    QHeaderView *header = table->horizontalHeader();
    const QFontMetrics metrics = table->fontMetrics();
    for (const auto &[column, widest] : {std::pair(PlayerTableModel::Number, "Num"),
             std::pair(PlayerTableModel::Score, "Score"), std::pair(PlayerTableModel::Ping, "Ping"),
             std::pair(PlayerTableModel::Address, "255.255.255.255:65535")})
        header->resizeSection(column, metrics.horizontalAdvance(QLatin1String(widest)) + 14);
    header->setSectionResizeMode(PlayerTableModel::Name, QHeaderView::Stretch);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &SvrMon::updateActions);

    kickAction = new QAction(tr("&Kick"), this);
    kickAction->setShortcut(QKeySequence::Delete);
    kickAction->setShortcutContext(Qt::WidgetShortcut);
    banAction = new QAction(tr("&Ban address"), this);
    bansAction = new QAction(tr("Ba&ns..."), this);
    connect(kickAction, &QAction::triggered, this, &SvrMon::kickPlayer);
    connect(banAction, &QAction::triggered, this, &SvrMon::banPlayer);
    connect(bansAction, &QAction::triggered, this, &SvrMon::showBans);
    table->addAction(kickAction);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, [this, table](const QPoint &at) {
        QMenu menu(this);
        menu.addActions({kickAction, banAction});
        menu.addSeparator();
        menu.addAction(bansAction);
        menu.exec(table->viewport()->mapToGlobal(at));
    });
    connect(ui->kickButton, &QPushButton::clicked, kickAction, &QAction::trigger);
    connect(ui->banButton, &QPushButton::clicked, banAction, &QAction::trigger);
    connect(ui->bansButton, &QPushButton::clicked, bansAction, &QAction::trigger);

    ui->mapBox->setCompleter(nullptr);
    ui->mapBox->addItems(availableMaps(loadLaunchSettings().gameFolder));
    ui->mapBox->setCurrentIndex(-1);
    connect(ui->mapButton, &QPushButton::clicked, this, &SvrMon::changeMap);
    connect(ui->mapBox->lineEdit(), &QLineEdit::returnPressed, this, &SvrMon::changeMap);
    updateActions();
}

QByteArray SvrMon::statusRequest() const
{
    return rconDatagram(strRconPassword, pollCommandPart(Poll::Status));
}

// When another command is polled, the table still wants status.
void SvrMon::pollPlayers()
{
    if (!session->strPollPacket.isEmpty() && session->strPollPacket != statusRequest())
        send(statusRequest(), statusSocket);
}

// After an action the table shows its outcome at once, not at the next poll.
void SvrMon::sendAction(const QString &commandPart)
{
    sendLine(commandPart);
    send(statusRequest(), statusSocket);
}

void SvrMon::takeStatusPiece(const QByteArray &datagram, ReplySource source)
{
    QByteArray &pieces = statusPieces[source];
    if (!datagram.startsWith(replyHeader))
        return;
    const QByteArray text = datagram.sliced(replyHeader.size());
    if (const auto bans = filterListEntries(text); bans && banList) {
        banList->clear();
        banList->addItems(*bans);
    }
    if (beginsStatusReply(text)) {
        pieces = text;
    } else if (!pieces.isEmpty()
        && parseStatusReply(pieces + text).kind == StatusReply::Kind::Players) {
        pieces += text;
    } else {
        return;
    }
    statusSettle[source]->start();
}

// A reply that cannot be read leaves the table as it was.
void SvrMon::showPlayers(ReplySource source)
{
    const StatusReply reply = parseStatusReply(statusPieces[source]);
    statusPieces[source].clear();
    if (reply.kind == StatusReply::Kind::Unreadable) {
        ui->playerStatus->setText(
            tr("Could not read the player list: %1. It shows the one before.").arg(reply.problem));
    } else if (reply.kind == StatusReply::Kind::Players) {
        // When the selected player leaves, the view selects the next row;
        // an action must never fall on someone the operator did not pick.
        const auto before = selectedPlayer();
        players->setPlayers(reply.players);
        const auto after = selectedPlayer();
        if (before && !(after && after->samePlayer(*before)))
            ui->playerTable->clearSelection();
        updateActions();
        const qsizetype count = reply.players.size();
        ui->playerStatus->setText(count == 1 ? tr("1 player on %1").arg(reply.map)
                                             : tr("%1 players on %2").arg(count).arg(reply.map));
    }
}

void SvrMon::updateActions()
{
    const auto player = selectedPlayer();
    kickAction->setEnabled(player.has_value());
    banAction->setEnabled(player && !player->isBot());
    ui->kickButton->setEnabled(kickAction->isEnabled());
    ui->banButton->setEnabled(banAction->isEnabled());
}

std::optional<PlayerRow> SvrMon::selectedPlayer() const
{
    const QModelIndexList rows = ui->playerTable->selectionModel()->selectedRows();
    if (rows.size() != 1)
        return std::nullopt;
    return players->players().value(rows.front().row());
}

// Asks; then, since polls go on while the question is open, makes sure the
// player is still the one in that slot, so the wrong player is never hit.
bool SvrMon::confirmFor(const PlayerRow &player, const QString &title, const QString &question)
{
    if (showMessageBox(
            this, QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    const QList<PlayerRow> &now = players->players();
    if (std::any_of(
            now.begin(), now.end(), [&](const PlayerRow &p) { return p.samePlayer(player); }))
        return true;
    showMessageBox(this, QMessageBox::Warning, title,
        tr("The player list changed since %1 was selected; nothing was sent. Select the player "
           "again.")
            .arg(playerText(player)));
    return false;
}

void SvrMon::kickPlayer()
{
    const auto player = selectedPlayer();
    if (player && confirmFor(*player, tr("Kick"), tr("Kick %1?").arg(playerText(*player))))
        sendAction(QStringLiteral(" kick %1 ").arg(player->number));
}

void SvrMon::banPlayer()
{
    const auto player = selectedPlayer();
    if (!player || player->isBot())
        return;
    if (confirmFor(*player, tr("Ban address"),
            tr("Ban the address %1 and kick %2?").arg(player->host(), playerText(*player)))) {
        sendLine(QStringLiteral(" filter_add %1 ").arg(player->host()));
        sendAction(QStringLiteral(" kick %1 ").arg(player->number));
    }
}

// The ban list as the server keeps it; it fills in when the answer to
// filter_list arrives.
void SvrMon::showBans()
{
    if (!bansView) {
        bansView = new QDialog(this);
        bansView->setObjectName(QStringLiteral("bansView"));
        bansView->setWindowTitle(tr("Bans"));
        bansView->setAttribute(Qt::WA_DeleteOnClose);
        banList = new QListWidget(bansView);
        banList->setObjectName(QStringLiteral("banList"));
        banList->setAccessibleName(tr("Banned addresses"));
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, bansView);
        QPushButton *remove = buttons->addButton(tr("&Remove"), QDialogButtonBox::ActionRole);
        remove->setObjectName(QStringLiteral("removeBanButton"));
        remove->setAccessibleName(tr("Remove the selected address from the ban list"));
        connect(remove, &QPushButton::clicked, this, &SvrMon::removeBan);
        connect(buttons, &QDialogButtonBox::rejected, bansView, &QDialog::close);
        auto *layout = new QVBoxLayout(bansView);
        layout->addWidget(banList);
        layout->addWidget(buttons);
    }
    bansView->show();
    bansView->raise();
    sendLine(QStringLiteral(" filter_list "));
}

void SvrMon::removeBan()
{
    if (!banList || !banList->currentItem())
        return;
    sendLine(QStringLiteral(" filter_remove %1 ").arg(banList->currentItem()->text()));
    sendLine(QStringLiteral(" filter_list "));
}

void SvrMon::changeMap()
{
    const QString map = ui->mapBox->currentText().trimmed();
    if (!map.isEmpty())
        sendAction(QStringLiteral(" map %1 ").arg(map));
}
